// A 16384 x 8192 map, the size the big free HDR libraries publish, loads, rescales and gives its 64 lights.
#include <gtest/gtest.h>

#include <FreeImage.h>

#include <cmath>
#include <string>
#include <vector>

#include "environment/environment_map.h"
#include "environment/environment_setup.h"
#include "environment/light_extractor.h"
#include "support/scratch_directory.h"

namespace {

constexpr int kWidth = 16384;
constexpr int kHeight = 8192;
constexpr int kLights = 64;

std::string rgbe(float value) {
    int exponent = 0;
    const float mantissa = std::frexp(value, &exponent) * 256.0f;
    const char m = static_cast<char>(static_cast<unsigned char>(mantissa));
    return {m, m, m, static_cast<char>(exponent + 128)};
}

// Appends one channel of a scanline as Radiance runs (at most 127 equal bytes each).
void appendRuns(std::string& file, const std::vector<char>& channel) {
    for (std::size_t i = 0; i < channel.size();) {
        std::size_t run = 1;
        while (i + run < channel.size() && run < 127 && channel[i + run] == channel[i]) {
            ++run;
        }
        file += static_cast<char>(128 + run);
        file += channel[i];
        i += run;
    }
}

// A dim sky with one bright disc centred at column cx, row cy from the top,
// every scanline run-length encoded: about 8 MB on disk.
std::string discMap(int cx, int cy, int radius) {
    const std::string dim = rgbe(0.05f);
    const std::string bright = rgbe(1000.0f);
    std::string file = "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y " + std::to_string(kHeight) + " +X " +
                       std::to_string(kWidth) + "\n";
    std::vector<char> channels[4];
    for (int y = 0; y < kHeight; ++y) {
        const int dy = y - cy;
        const int half = std::abs(dy) <= radius ? static_cast<int>(std::sqrt(double(radius * radius - dy * dy))) : -1;
        for (int c = 0; c < 4; ++c) {
            channels[c].assign(kWidth, dim[c]);
            for (int x = cx - half; x <= cx + half; ++x) {
                channels[c][x] = bright[c];
            }
        }
        file += {2, 2, static_cast<char>(kWidth >> 8), static_cast<char>(kWidth & 0xff)};
        for (const std::vector<char>& channel : channels) {
            appendRuns(file, channel);
        }
    }
    return file;
}

TEST(LargeMap, A16384By8192RunLengthMapGivesItsBrightestLightTowardItsBrightDisc) {
    ScratchDirectory scratch;
    // Column 4096 looks along +x; row 2048 from the top is 45 degrees above the horizon.
    scratch.writeFile("large.hdr", discMap(kWidth / 4, kHeight / 4, 200));
    FreeImage_Initialise(FALSE);
    std::string cause;
    FIBITMAP* image = loadRescaledEnvironmentImage(scratch.file("large.hdr").c_str(), kEnvironmentMapSize,
                                                   kEnvironmentMapSize, &cause);
    ASSERT_NE(image, nullptr) << cause;
    std::vector<float> pixels(static_cast<std::size_t>(kEnvironmentMapSize) * kEnvironmentMapSize * 3);
    copyEnvironmentPixels(image, pixels.data());
    FreeImage_Unload(image);
    FreeImage_DeInitialise();

    Vector3 directions[kLights];
    Vector3 colours[kLights];
    extractLights(pixels.data(), kEnvironmentMapSize, kEnvironmentMapSize, directions, colours);
    int brightest = 0;
    for (int i = 0; i < kLights; ++i) {
        EXPECT_GT(colours[i].x, 0.0f) << "light " << i << " sees only the dim sky";
        if (colours[i].x > colours[brightest].x) brightest = i;
    }
    const float diagonal = std::sqrt(0.5f);
    const Vector3& d = directions[brightest];
    EXPECT_GT(d.x * diagonal + d.y * diagonal, 0.99f) << d.x << " " << d.y << " " << d.z;
}

}  // namespace
