// The default studio map in the run directory: its brightest lights sit on its lamps.
#include <gtest/gtest.h>

#include <FreeImage.h>

#include <cmath>
#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "environment/environment_map.h"
#include "environment/environment_setup.h"
#include "environment/light_extractor.h"

namespace {

constexpr int kSize = kEnvironmentMapSize;
constexpr int kLights = 64;
constexpr float kPi = 3.1415927f;

std::string runFile(const char* name) { return std::string(LUMIVOR_RUN_DIR) + "/" + name; }

float luminance(const float* p) { return 0.2125f * p[0] + 0.7154f * p[1] + 0.0721f * p[2]; }

// The pixel a direction points at, inverting the latitude-longitude mapping.
void pixelOf(const Vector3& d, int& column, int& row) {
    const float theta = std::acos(-d.y);
    const float phi = std::atan2(-d.x, d.z);
    row = static_cast<int>(std::lround(theta * kSize / kPi));
    column = static_cast<int>(std::lround((phi / kPi + 1.0f) * kSize / 2.0f)) % kSize;
}

class DefaultEnvironments : public ::testing::Test {
protected:
    void SetUp() override { FreeImage_Initialise(FALSE); }
    void TearDown() override { FreeImage_DeInitialise(); }

    bool load(const char* name, std::vector<float>& pixels) {
        FIBITMAP* image = loadRescaledEnvironmentImage(runFile(name).c_str(), kSize, kSize);
        if (image == nullptr) {
            return false;
        }
        pixels.assign(static_cast<size_t>(kSize) * kSize * 3, 0.0f);
        copyEnvironmentPixels(image, pixels.data());
        FreeImage_Unload(image);
        return true;
    }
};

}  // namespace

TEST_F(DefaultEnvironments, BrightestStudioLightsSitOnItsLamps) {
    std::vector<float> pixels;
    if (!std::ifstream(runFile(kEnvironmentFiles[2]))) {
        GTEST_SKIP() << "the run directory has no studio map (the build found no map package)";
    }
    ASSERT_TRUE(load(kEnvironmentFiles[2], pixels));
    // The lamps: the sky pixels at least half as bright as the brightest one.
    const int firstSkyRow = kSize / 2 + 32;
    float peak = 0.0f;
    for (int r = firstSkyRow; r < kSize; ++r) {
        for (int x = 0; x < kSize; ++x) peak = std::max(peak, luminance(&pixels[3 * (size_t(r) * kSize + x)]));
    }
    std::vector<std::pair<int, int>> lampPixels;
    for (int r = firstSkyRow; r < kSize; ++r) {
        for (int x = 0; x < kSize; ++x) {
            if (luminance(&pixels[3 * (size_t(r) * kSize + x)]) >= 0.5f * peak) lampPixels.emplace_back(x, r);
        }
    }
    ASSERT_FALSE(lampPixels.empty());

    Vector3 directions[kLights];
    Vector3 colours[kLights];
    extractLights(pixels.data(), kSize, kSize, directions, colours);
    std::vector<int> order(kLights);
    for (int i = 0; i < kLights; ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&](int a, int b) { return colours[a].y > colours[b].y; });

    // Each of the four brightest lights points within a few pixels of a lamp.
    constexpr int kReach = 24;
    for (int rank = 0; rank < 4; ++rank) {
        int column = 0;
        int row = 0;
        pixelOf(directions[order[rank]], column, row);
        int nearest = kSize * 2;
        for (const auto& [x, r] : lampPixels) {
            const int dx = std::min(std::abs(x - column), kSize - std::abs(x - column));
            nearest = std::min(nearest, std::max(dx, std::abs(r - row)));
        }
        EXPECT_LE(nearest, kReach) << "light " << order[rank] << " at pixel " << column << "," << row;
    }
}
