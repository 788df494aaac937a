// The generated noise bitmap becomes a fully mipmapped, linearly filtered texture of evenly spread, unrelated values.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <array>

#include "environment/noise_texture.h"
#include "support/gl_test_context.h"
#include "support/recording_platform.h"

class NoiseTextureTest : public GlTest {};

TEST_F(NoiseTextureTest, GeneratedNoiseGetsEveryMipmapLevelLinearFiltersAndUniformValues) {
    RecordingPlatform fake;
    ScopedPlatformServices installed(fake);
    GLuint names[2] = {0xDEAD, 0xDEAD};
    loadBitmapTexture(names, LUMIVOR_RUN_DIR "/noise.bmp", 1);
    ASSERT_TRUE(fake.messages.empty()) << fake.messages[0].text;
    GLint bound = 0, minFilter = 0, magFilter = 0, alignment = 0, width = 0, height = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(names[0], 0xDEADu) << "the name before the one asked for stays";
    EXPECT_EQ(GLuint(bound), names[1]);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 8, GL_TEXTURE_HEIGHT, &height);
    EXPECT_EQ(width, 256);
    EXPECT_EQ(height, 1) << "every level down to 1 x 1";
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(minFilter, GL_LINEAR);
    EXPECT_EQ(magFilter, GL_LINEAR);
    EXPECT_EQ(alignment, 4) << "the unpack state put back";
    std::vector<unsigned char> texels(256 * 256 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    for (int channel = 0; channel < 3; ++channel) {
        std::array<int, 256> counts{};
        std::size_t equalNeighbours = 0;
        for (std::size_t i = channel; i < texels.size(); i += 3) {
            ++counts[texels[i]];
            equalNeighbours += i >= 3 && texels[i] == texels[i - 3];
        }
        double chiSquare = 0.0;  // stays far below 400 over 255 degrees of freedom for uniform values
        for (int count : counts) chiSquare += (count - 256.0) * (count - 256.0) / 256.0;
        EXPECT_LT(chiSquare, 400.0) << "channel " << channel;
        EXPECT_LT(equalNeighbours, texels.size() / 384) << "channel " << channel;  // about 1 in 256 when unrelated
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
