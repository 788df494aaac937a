// Full-target quads for the unit orthographic projection, with pixel texture coordinates for rectangle textures, and
// the binding of a target as such a texture.
#pragma once

// Covers the unit square at depth z; texture coordinates span 0..width and
// 0..height source pixels, since rectangle textures are addressed in pixels.
void drawFullTargetQuad(float width, float height, float z);

// Binds the render target's texture as the rectangle texture of the texture
// unit, leaving that unit active.
void bindRectangle(int unit, int target);
