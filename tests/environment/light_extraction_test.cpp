// Median-cut light extraction: bit-exact agreement with a literal cut, one bright pixel's light, the solid angles.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "environment/environment_lights.h"
#include "environment/light_extractor.h"
#include "literal_light_extraction.h"

namespace {

constexpr int kLights = kDefaultLightCount;
constexpr float kPi = 3.1415927f;

struct Map {
    int width, height;
    std::vector<float> pixels;
};

// Mostly dim with a few very bright pixels, like a real sky; those of sign -1 make running sums that do not only grow.
Map randomMap(int width, int height, unsigned seed, float sign = 1.0f) {
    Map map{width, height, std::vector<float>(size_t(width) * height * 3)};
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> value(0.0f, 1.0f);
    int i = 0;
    for (float& channel : map.pixels) channel = value(random) < 0.999f ? value(random) : (++i % 2 ? 5000 : 5000 * sign);
    return map;
}

}  // namespace

TEST(LightExtraction, MatchesTheLiteralCutBitForBitInTreeOrder) {
    // Non-square and non-power-of-two, too short to have sky rows, with negative values, all black (every cut at the
    // first pixel), and with NaN and infinity below the root, which is never read.
    Map poisoned = randomMap(300, 170, 5);
    for (size_t i = 0; i < size_t(300) * (170 / 2 + 32) * 3; ++i) {
        poisoned.pixels[i] = i % 3 ? (i % 3 == 1 ? std::numeric_limits<float>::infinity() : -1.0e6f) : std::nanf("");
    }
    for (const Map& map : {randomMap(2048, 2048, 7), randomMap(37, 50, 3), randomMap(300, 170, 13, -1.0f),
                           Map{256, 128, std::vector<float>(256 * 128 * 3)}, poisoned}) {
        Vector3 directions[kLights + 1], colours[kLights + 1];
        directions[kLights].x = 9.0f;
        extractLights(map.pixels.data(), map.width, map.height, directions, colours);
        const std::vector<LiteralLight> literal =
            literalLights(map.pixels.data(), map.width, map.height, kLightTreeDepth);
        ASSERT_EQ(literal.size(), size_t(kLights));
        EXPECT_EQ(directions[kLights].x, 9.0f) << "only 64 entries are written";
        for (int i = 0; i < kLights; ++i) {
            EXPECT_EQ(std::memcmp(&directions[i], &literal[i].direction, sizeof(Vector3)), 0) << map.width << " " << i;
            EXPECT_EQ(std::memcmp(&colours[i], &literal[i].colour, sizeof(Vector3)), 0) << map.width << " " << i;
        }
    }
}

TEST(LightExtraction, OneBrightPixelGivesOneLightTowardItWithThatPixelsIrradianceAndTheSolidAnglesTileTheSky) {
    constexpr int size = 512;
    std::vector<float> map(size * size * 3);
    const int column = 200, row = 500;  // four rows below the zenith
    std::copy_n(std::vector<float>{40.0f, 20.0f, 10.0f}.begin(), 3, &map[3 * (row * size + column)]);
    LightExtractor extractor(map.data(), size, size);
    extractor.split(kLightTreeDepth);
    Vector3 directions[kLights], colours[kLights], irradiances[kLights];
    float solidAngles[kLights];
    extractor.collectLights(directions, colours, {solidAngles, irradiances});
    const float horizonPixel = 2.0f * kPi * kPi / (size * size);
    const float w = std::cos(kPi * (float(row) / size - 0.5f)), theta = kPi * row / size,
                phi = kPi * (2.0f * column / size - 1.0f);
    const Vector3 toward(-std::sin(theta) * std::sin(phi), -std::cos(theta), std::sin(theta) * std::cos(phi));
    double sky = 0.0;
    int lit = 0;
    for (int i = 0; i < kLights; ++i) {
        const LightRegion& leaf = *extractor.leaves()[i];
        const float n = leaf.holdsPixels() ? float((leaf.x1 - leaf.x0) * (leaf.y1 - leaf.y0)) : 0.0f;
        EXPECT_LE(solidAngles[i], n * horizonPixel) << "no more than its pixels at the horizon's size, light " << i;
        sky += solidAngles[i];
        const bool holds = leaf.x0 <= column && column < leaf.x1 && leaf.y0 <= row && row < leaf.y1;
        lit += holds;
        if (holds) {
            EXPECT_EQ(colours[i].x, w * (40.0f / n)) << i;
            EXPECT_EQ(colours[i].z, w * (10.0f / n)) << i;
            EXPECT_GT(dot(directions[i], toward), 1.0f - 1e-6f) << i;
            // The light gives what the pixel gives: its radiance times its own solid angle.
            EXPECT_NEAR(irradiances[i].x, 40.0f * w * horizonPixel, 1e-5f * irradiances[i].x);
            EXPECT_NEAR(irradiances[i].y, 20.0f * w * horizonPixel, 1e-5f * irradiances[i].y);
            EXPECT_LT(solidAngles[i], 0.1f * n * horizonPixel) << "near the zenith a pixel covers far less";
        } else {
            EXPECT_EQ(colours[i].x, 0.0f) << i;
            EXPECT_EQ(colours[i].y, 0.0f) << i;
            EXPECT_EQ(colours[i].z, 0.0f) << i;
            EXPECT_EQ(irradiances[i].x, 0.0f) << i;
            EXPECT_EQ(irradiances[i].y, 0.0f) << i;
            EXPECT_EQ(irradiances[i].z, 0.0f) << i;
        }
    }
    EXPECT_EQ(lit, 1);
    // The leaves tile the sky from 32 rows above the horizon up: 2 pi (1 - sin(32 pi / size)) steradians.
    EXPECT_NEAR(sky, 2.0 * kPi * (1.0 - std::sin(32.0 * kPi / size)), 0.01 * sky);
}
