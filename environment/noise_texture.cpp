// Noise texture: bitmap file to mipmapped RGB texture; an unreadable file ends the program.
#include "environment/noise_texture.h"

#include <GL/glu.h>

#include <cstdlib>

#include "environment/bitmap_reader.h"

namespace {
constexpr GLint kRgbComponents = 3;
constexpr int kUnreadableTextureExitStatus = 1;
}  // namespace

void loadBitmapTexture(GLuint* textureNames, const char* fileName, int slot) {
    if (fileName == nullptr) {
        return;
    }
    const std::unique_ptr<RGBImage> image = loadDIBImage(fileName);
    if (!image) {
        // The reader has shown why; a failed start-up must not report success.
        std::exit(kUnreadableTextureExitStatus);
    }
    glGenTextures(1, &textureNames[slot]);
    glBindTexture(GL_TEXTURE_2D, textureNames[slot]);
    // The image rows are packed without padding; the unpack state is put back afterwards.
    GLint previousAlignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &previousAlignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    gluBuild2DMipmaps(GL_TEXTURE_2D, kRgbComponents, image->width, image->height, GL_RGB, GL_UNSIGNED_BYTE,
                      image->data.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, previousAlignment);
    // The mipmap levels exist, but the minification filter does not use them.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}
