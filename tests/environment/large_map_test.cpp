// A 16384 x 8192 run-length map, the size the big free HDR libraries publish, loads, rescales and gives its 64 lights.
#include <gtest/gtest.h>

#include <FreeImage.h>

#include <cmath>

#include "environment/environment_map.h"
#include "environment/environment_setup.h"
#include "environment/light_extractor.h"
#include "support/scratch_directory.h"

namespace {

constexpr int kWidth = 16384, kHeight = 8192, kLights = 64;

// A dim sky with one bright disc centred at column cx, row cy from the top, every scanline run-length encoded
// (runs of at most 127 equal bytes, channel by channel): about 8 MB on disk.
std::string discMap(int cx, int cy, int radius) {
    const std::string dim = "\xCC\xCC\xCC\x7C", bright = "\xFA\xFA\xFA\x8A";  // grey 0.05 and 1000 as R, G, B, E
    std::string file =
        "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y " + std::to_string(kHeight) + " +X " + std::to_string(kWidth) + "\n";
    for (int y = 0; y < kHeight; ++y) {
        const int dy = y - cy, half = std::abs(dy) <= radius ? int(std::sqrt(double(radius * radius - dy * dy))) : -1;
        file += {2, 2, char(kWidth >> 8), char(kWidth & 0xff)};
        for (int c = 0; c < 4; ++c) {
            for (int x = 0, run = 1; x < kWidth; x += run, run = 1) {
                const bool inside = std::abs(x - cx) <= half;
                while (x + run < kWidth && run < 127 && (std::abs(x + run - cx) <= half) == inside) ++run;
                file += {char(128 + run), (inside ? bright : dim)[c]};
            }
        }
    }
    return file;
}

}  // namespace

TEST(LargeMap, A16384By8192RunLengthMapGivesItsBrightestLightTowardItsBrightDisc) {
    ScratchDirectory scratch;
    // Column 4096 looks along +x; row 2048 from the top is 45 degrees above the horizon.
    scratch.writeFile("large.hdr", discMap(kWidth / 4, kHeight / 4, 200));
    FreeImage_Initialise(FALSE);
    std::string cause;
    FIBITMAP* image = loadRescaledEnvironmentImage("large.hdr", kEnvironmentMapSize, kEnvironmentMapSize, &cause);
    ASSERT_NE(image, nullptr) << cause;
    std::vector<float> pixels(size_t(kEnvironmentMapSize) * kEnvironmentMapSize * 3);
    copyEnvironmentPixels(image, pixels.data());
    FreeImage_Unload(image);
    FreeImage_DeInitialise();
    Vector3 directions[kLights], colours[kLights];
    extractLights(pixels.data(), kEnvironmentMapSize, kEnvironmentMapSize, directions, colours);
    int brightest = 0;
    for (int i = 0; i < kLights; ++i) {
        EXPECT_GT(colours[i].x, 0.0f) << "light " << i << " sees only the dim sky";
        brightest = colours[i].x > colours[brightest].x ? i : brightest;
    }
    const Vector3& d = directions[brightest];
    EXPECT_GT((d.x + d.y) * std::sqrt(0.5f), 0.99f) << d.x << " " << d.y << " " << d.z;
}
