// Light map textures: read a map back, shrink it, draw its cut over it and upload the picture.
#include "panel/light_map_texture.h"

#include <vector>

#include "environment/light_cut.h"
#include "environment/light_map_picture.h"

namespace {

constexpr int kChannels = 3;
// A 3-pixel mark with its rim: 64 marks stay apart at this size.
constexpr int kMarkRadius = 1;

}  // namespace

void LightMapTexture::update(int environment, GLuint mapTexture) {
    const LightCut& cut = lightCut(environment);
    GLuint& texture = textures_[environment];
    if (texture != 0 && cut.revision == revisions_[environment]) {
        return;
    }
    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);

    // The map as the sky shows it; a map that could not be loaded has no size and gives black.
    glBindTexture(GL_TEXTURE_2D, mapTexture);
    GLint width = 0;
    GLint height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    std::vector<float> map;
    if (mapTexture != 0 && width > 0 && height > 0) {
        map.resize(static_cast<std::size_t>(width) * height * kChannels);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_FLOAT, map.data());
    } else {
        width = height = 0;
    }
    const std::vector<float> small =
        resampleMap(map.data(), width, height, kLightMapPictureWidth, kLightMapPictureHeight);
    const RgbPicture picture = drawLightMapPicture(small.data(), kLightMapPictureWidth, kLightMapPictureHeight,
                                                   cut.cells, cut.count, cut.width, cut.height, kMarkRadius);

    if (texture == 0) {
        glGenTextures(1, &texture);
    }
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);  // rows of 3-byte pixels
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, picture.width, picture.height, 0, GL_RGB, GL_UNSIGNED_BYTE,
                 picture.rgb.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
    revisions_[environment] = cut.revision;
}

void LightMapTexture::release() {
    glDeleteTextures(kEnvironmentCount, textures_);  // names 0 are ignored
    for (GLuint& texture : textures_) {
        texture = 0;
    }
}
