// The generated noise bitmap: readable, 256 x 256, every channel evenly spread and unrelated to its neighbours.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>

#include "environment/bitmap_reader.h"
#include "support/recording_platform.h"

TEST(GeneratedNoiseTest, IsAFullSizeEvenlySpreadBitmap) {
    const std::string path = LUMIVOR_RUN_DIR "/noise.bmp";
    if (!std::filesystem::exists(path)) {
        GTEST_SKIP() << "noise.bmp has not been generated into the run directory";
    }
    RecordingPlatform fake;
    ScopedPlatformServices installed(fake);
    const std::unique_ptr<RGBImage> noise = loadDIBImage(path.c_str());
    ASSERT_NE(noise, nullptr);
    ASSERT_EQ(noise->width, 256);
    ASSERT_EQ(noise->height, 256);
    const std::size_t pixels = 256 * 256;
    for (int channel = 0; channel < 3; ++channel) {
        std::array<int, 256> counts{};
        std::size_t equalNeighbours = 0;
        for (std::size_t i = 0; i < pixels; ++i) {
            ++counts[noise->data[i * 3 + channel]];
            equalNeighbours += i > 0 && noise->data[i * 3 + channel] == noise->data[(i - 1) * 3 + channel];
        }
        // Chi-square over 255 degrees of freedom stays far below 400 for uniform values.
        double chiSquare = 0.0;
        for (int count : counts) {
            chiSquare += (count - 256.0) * (count - 256.0) / 256.0;
        }
        EXPECT_LT(chiSquare, 400.0) << "channel " << channel;
        EXPECT_LT(equalNeighbours, pixels / 128) << "channel " << channel;  // about 1 in 256 for independent values
    }
}
