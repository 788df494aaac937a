// Full-target quads for the unit orthographic projection, with pixel texture coordinates for rectangle textures.
#pragma once

// Covers the unit square at depth z; texture coordinates span 0..width and
// 0..height source pixels, since rectangle textures are addressed in pixels.
void drawFullTargetQuad(float width, float height, float z);
