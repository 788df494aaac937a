// The generated noise bitmap: readable, 256 x 256, and evenly spread over every channel value.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>

#include "environment/bitmap_reader.h"
#include "support/recording_platform.h"

namespace {

const std::string kNoisePath = LUMIVOR_RUN_DIR "/noise.bmp";

TEST(GeneratedNoiseTest, IsAFullSizeEvenlySpreadBitmap) {
    if (!std::filesystem::exists(kNoisePath)) {
        GTEST_SKIP() << "noise.bmp has not been generated into the run directory";
    }
    RecordingPlatform fake;
    ScopedPlatformServices installed(fake);
    const std::unique_ptr<RGBImage> noise = loadDIBImage(kNoisePath.c_str());
    ASSERT_NE(noise, nullptr);
    ASSERT_EQ(noise->width, 256);
    ASSERT_EQ(noise->height, 256);

    // Per channel, each of the 256 values should appear about 256 times;
    // chi-square over 255 degrees of freedom stays far below 400 for uniform noise.
    const std::size_t pixels = static_cast<std::size_t>(noise->width) * noise->height;
    for (int channel = 0; channel < 3; ++channel) {
        std::array<int, 256> counts{};
        for (std::size_t i = 0; i < pixels; ++i) {
            ++counts[noise->data[i * 3 + channel]];
        }
        const double expected = static_cast<double>(pixels) / 256.0;
        double chiSquare = 0.0;
        for (int count : counts) {
            chiSquare += (count - expected) * (count - expected) / expected;
        }
        EXPECT_LT(chiSquare, 400.0) << "channel " << channel;
    }
    // Neighbouring pixels are unrelated: equal neighbours occur about once in 256.
    std::size_t equalNeighbours = 0;
    for (std::size_t i = 1; i < pixels; ++i) {
        equalNeighbours += noise->data[i * 3] == noise->data[(i - 1) * 3];
    }
    EXPECT_LT(equalNeighbours, pixels / 128);
}

}  // namespace
