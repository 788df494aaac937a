// Light map texture: the settings panel's small picture of the shown environment's map with its cut and lights.
#pragma once

#include <GL/gl.h>

#include <cstdint>

// The picture's size in pixels: the whole latitude-longitude map, 2 : 1.
constexpr int kLightMapPictureWidth = 288;
constexpr int kLightMapPictureHeight = 144;

class LightMapTexture {
public:
    // Draws environment e's picture from its map texture (read back) and its
    // recorded cut, unless the texture already shows that environment's
    // latest cut. Leaves the GL_TEXTURE_2D binding as it was.
    void update(int environment, GLuint mapTexture);
    GLuint texture() const { return texture_; }
    // Deletes the texture while its context is current.
    void release();

private:
    GLuint texture_ = 0;
    int environment_ = -1;
    std::uint32_t revision_ = 0;
};
