// Noise texture: the generated bitmap becomes a fully mipmapped, linearly filtered texture; a null name creates none.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <filesystem>

#include "environment/noise_texture.h"
#include "support/gl_test_context.h"
#include "support/recording_platform.h"

namespace {

constexpr GLuint kUntouched = 0xDEAD;

class NoiseTextureTest : public GlTest {};

TEST_F(NoiseTextureTest, GeneratedNoiseGetsEveryMipmapLevelAndLinearFilters) {
    const std::string path = LUMIVOR_RUN_DIR "/noise.bmp";
    if (!std::filesystem::exists(path)) {
        GTEST_SKIP() << "noise.bmp has not been generated into the run directory";
    }
    RecordingPlatform fake;
    ScopedPlatformServices installed(fake);
    GLuint names[2] = {kUntouched, kUntouched};
    loadBitmapTexture(names, path.c_str(), 1);
    EXPECT_EQ(names[0], kUntouched);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), names[1]);
    for (GLint level = 0, size = 256; level <= 8; ++level, size /= 2) {  // down to 1 x 1
        GLint width = 0;
        GLint height = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &height);
        EXPECT_EQ(width, size) << "level " << level;
        EXPECT_EQ(height, size) << "level " << level;
    }
    GLint minFilter = 0;
    GLint magFilter = 0;
    GLint alignment = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(minFilter, GL_LINEAR);
    EXPECT_EQ(magFilter, GL_LINEAR);
    EXPECT_EQ(alignment, 4);  // the unpack state is put back
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
