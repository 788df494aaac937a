// Ground light: the irradiance of the map's part below the lights, from its nine spherical-harmonic coefficients.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "environment/ground_light.h"
#include "environment/light_extractor.h"

namespace {

constexpr int kWidth = 1024, kHeight = 512;
constexpr float kPi = 3.14159265f;
const Vector3 kRadiance(1.0f, 2.0f, 0.5f);

std::vector<float> blackMap() { return std::vector<float>(size_t(kWidth) * kHeight * 3, 0.0f); }

void setPixel(std::vector<float>& map, int column, int row, const Vector3& value) {
    float* pixel = &map[3 * (size_t(row) * kWidth + column)];
    pixel[0] = value.x, pixel[1] = value.y, pixel[2] = value.z;
}

Vector3 irradiance(const std::vector<float>& map, const Vector3& normal) {
    return groundIrradiance(irradianceTerms(projectGroundLight(map.data(), kWidth, kHeight)), normal);
}

}  // namespace

TEST(GroundLight, ALowerHemisphereOfRadianceLGivesPiLDownwardHalfThatSidewaysAndNothingUpward) {
    std::vector<float> map = blackMap();
    for (int row = 0; row < kHeight; ++row) {
        for (int column = 0; column < kWidth; ++column) {
            // The lights' rows (from 32 above the horizon up) are the lights' alone, however bright.
            const bool lightsRow = row >= kHeight / 2 + 32;
            setPixel(map, column, row,
                     row < kHeight / 2 ? kRadiance
                     : lightsRow       ? Vector3(1e6f, 1e6f, 1e6f)
                                       : Vector3());
        }
    }
    const Vector3 down = irradiance(map, Vector3(0, -1, 0));
    EXPECT_NEAR(down.x, kPi * kRadiance.x, 0.005f * kPi * kRadiance.x);
    EXPECT_NEAR(down.y, kPi * kRadiance.y, 0.005f * kPi * kRadiance.y);
    EXPECT_NEAR(down.z, kPi * kRadiance.z, 0.005f * kPi * kRadiance.z);
    for (const Vector3& side : {Vector3(1, 0, 0), Vector3(0, 0, -1), normalize(Vector3(1, 0, 1))}) {
        EXPECT_NEAR(irradiance(map, side).y, 0.5f * kPi * kRadiance.y, 0.005f * kPi * kRadiance.y)
            << side.x << " " << side.z;
    }
    EXPECT_NEAR(irradiance(map, Vector3(0, 1, 0)).y, 0.0f, 0.005f * kPi * kRadiance.y);
}

// One pixel of radiance P and solid angle w(r) times the horizon pixel's, seen along the extraction's direction: the
// clamped cosine in bands 0 to 2 gives (1/4 + 1/2 + 5/16) P w toward it and (1/4 - 1/2 + 5/16) P w away from it.
TEST(GroundLight, OnePixelLightsTheNormalTowardItAsTheExtractionSeesIt) {
    for (const auto& [column, row] : {std::pair{kWidth / 4, kHeight / 4}, {700, 100}, {30, kHeight / 2 + 20}}) {
        std::vector<float> map = blackMap();
        setPixel(map, column, row, kRadiance);
        const Vector3 toward = lightDirection(column, row, kWidth, kHeight);
        const float pw =
            kRadiance.y * std::cos(kPi * (float(row) / kHeight - 0.5f)) * horizonPixelSolidAngle(kWidth, kHeight);
        EXPECT_NEAR(irradiance(map, toward).y, 1.0625f * pw, 1e-4f * pw) << column << " " << row;
        EXPECT_NEAR(irradiance(map, toward * -1.0f).y, 0.0625f * pw, 1e-4f * pw) << column << " " << row;
    }
}
