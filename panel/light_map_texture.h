// Light map textures: the settings panel's small pictures of each environment's map with its cut and lights.
#pragma once

#include <GL/gl.h>

#include <cstdint>

#include "state/environment_count.h"

// A picture's size in pixels: the whole latitude-longitude map, 2 : 1.
constexpr int kLightMapPictureWidth = 288;
constexpr int kLightMapPictureHeight = 144;

class LightMapTexture {
public:
    // Draws environment e's picture from its map texture (read back) and its
    // recorded cut, unless it already shows that environment's latest cut:
    // reading a map back is slow on a software renderer, so each environment
    // is drawn once and again only when a dropped map gives it a new cut.
    // Leaves the GL_TEXTURE_2D binding as it was.
    void update(int environment, GLuint mapTexture);
    GLuint texture(int environment) const { return textures_[environment]; }
    // Deletes the textures while their context is current.
    void release();

private:
    GLuint textures_[kEnvironmentCount] = {};
    std::uint32_t revisions_[kEnvironmentCount] = {};
};
