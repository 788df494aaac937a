// Median-cut light extraction: the cut's rules on small synthetic maps, and bit-exact agreement with a literal cut.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "environment/environment_lights.h"
#include "environment/light_extractor.h"
#include "literal_light_extraction.h"

namespace {

constexpr int kLights = 64;
constexpr float kPi = 3.1415927f;

struct Map {
    int width, height;
    std::vector<float> pixels;
    Map(int w, int h) : width(w), height(h), pixels(size_t(w) * h * 3, 0.0f) {}
    float* at(int x, int r) { return &pixels[3 * (size_t(r) * width + x)]; }
};

// Mostly dim with a few very bright pixels, like a real sky.
Map randomMap(int width, int height, unsigned seed) {
    Map map(width, height);
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> value(0.0f, 1.0f);
    for (float& channel : map.pixels) {
        const float v = value(random);
        channel = v < 0.999f ? v : v * 5000.0f;
    }
    return map;
}

struct Extraction {
    std::unique_ptr<LightExtractor> extractor;
    Vector3 directions[kMaxLights];
    Vector3 colours[kMaxLights];
    float solidAngles[kMaxLights] = {};
};

std::unique_ptr<Extraction> extract(const Map& map) {
    auto result = std::make_unique<Extraction>();
    for (Vector3& d : result->directions) d = Vector3(9.0f, 9.0f, 9.0f);
    result->extractor = std::make_unique<LightExtractor>(map.pixels.data(), map.width, map.height);
    result->extractor->split(kLightTreeDepth);
    result->extractor->collectLights(result->directions, result->colours, result->solidAngles);
    return result;
}

bool sameBits(const Vector3& a, const Vector3& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

float brightness(const Vector3& c) { return c.x + c.y + c.z; }

float angleBetween(const Vector3& a, const Vector3& b) {
    return std::acos(std::clamp(dot(a, b) / (length(a) * length(b)), -1.0f, 1.0f));
}

}  // namespace

TEST(LightExtraction, MatchesTheLiteralCutBitForBitInTreeOrder) {
    // Full size, non-square and non-power-of-two, a map too short to have sky
    // rows, and one with negative values, whose running sums do not only grow.
    Map negative = randomMap(300, 170, 13);
    for (int r = 0; r < negative.height; ++r) {
        for (int x = 10; x < negative.width; x += 40) {
            std::fill(negative.at(x, r), negative.at(x, r) + 3, 1.0e4f);
            std::fill(negative.at(x + 1, r), negative.at(x + 1, r) + 3, -1.0e4f);
        }
    }
    for (const Map& map : {randomMap(2048, 2048, 7), randomMap(300, 170, 11), randomMap(37, 50, 3), negative}) {
        const auto lights = extract(map);
        const std::vector<LiteralLight> literal = literalLights(map.pixels.data(), map.width, map.height, kLightTreeDepth);
        ASSERT_EQ(literal.size(), size_t(kLights));
        EXPECT_EQ(lights->extractor->lightsCollected(), kLights);
        EXPECT_EQ(lights->directions[kLights].x, 9.0f) << "only 64 entries are written";
        for (int i = 0; i < kLights; ++i) {
            EXPECT_TRUE(sameBits(lights->directions[i], literal[i].direction)) << map.width << " light " << i;
            EXPECT_TRUE(sameBits(lights->colours[i], literal[i].colour)) << map.width << " light " << i;
        }
    }
}

TEST(LightExtraction, AllBlackMapGivesBlackLightsAndCutsAtTheFirstColumn) {
    const auto lights = extract(Map(256, 128));
    for (int i = 0; i < kLights; ++i) {
        EXPECT_EQ(brightness(lights->colours[i]), 0.0f) << i;
    }
    // Energy 0 is reached at the first pixel: an empty left child, pointing straight down.
    const LightRegion* root = lights->extractor->rootRegion();
    EXPECT_EQ(root->left->x1, 0);
    EXPECT_EQ(root->right->x1, 256);
    EXPECT_EQ(lights->directions[0].y, -1.0f);
}

TEST(LightExtraction, OneBrightPixelGivesOneLightWithItsDirectionAndWeightedMeanColour) {
    Map map(256, 256);
    const int column = 100, row = 200;
    const float bright[3] = {40.0f, 20.0f, 10.0f};
    std::memcpy(map.at(column, row), bright, sizeof bright);
    const auto lights = extract(map);
    const std::vector<const LightRegion*> leaves = lights->extractor->leaves();
    int lit = 0;
    // Every light covers its pixel count times a horizon pixel's solid angle
    // (none for an empty region, whatever its bounds); together they cover the
    // sky above the skipped band.
    const float horizonPixel = 2.0f * kPi * kPi / (256.0f * 256.0f);
    double sky = 0.0;
    for (int i = 0; i < kLights; ++i) {
        const LightRegion& leaf = *leaves[i];
        const float pixels = leaf.holdsPixels() ? float((leaf.x1 - leaf.x0) * (leaf.y1 - leaf.y0)) : 0.0f;
        EXPECT_EQ(lights->solidAngles[i], pixels * horizonPixel) << i;
        sky += lights->solidAngles[i];
        if (!(leaf.x0 <= column && column < leaf.x1 && leaf.y0 <= row && row < leaf.y1)) {
            EXPECT_EQ(brightness(lights->colours[i]), 0.0f) << i;
            continue;
        }
        ++lit;
        const float n = float((leaf.x1 - leaf.x0) * (leaf.y1 - leaf.y0));
        const float w = std::cos(kPi * (row / 256.0f - 0.5f));
        EXPECT_EQ(lights->colours[i].x, w * (bright[0] / n));
        EXPECT_EQ(lights->colours[i].z, w * (bright[2] / n));
        const float theta = kPi * row / 256.0f, phi = kPi * (2.0f * column / 256.0f - 1.0f);
        EXPECT_LT(angleBetween(lights->directions[i], Vector3(-std::sin(theta) * std::sin(phi), -std::cos(theta),
                                                              std::sin(theta) * std::cos(phi))),
                  1e-4f);
    }
    EXPECT_EQ(lit, 1);
    EXPECT_NEAR(sky, 256.0 * (128 - 32) * horizonPixel, 1e-3);
}

TEST(LightExtraction, RowsBelowTheRootNeverMatter) {
    Map map = randomMap(300, 170, 5);
    const auto before = extract(map);
    for (int r = 0; r < map.height / 2 + 32; ++r) {
        for (int x = 0; x < map.width; ++x) {
            float* pixel = map.at(x, r);
            pixel[0] = (x + r) % 3 == 0 ? std::numeric_limits<float>::quiet_NaN() : 1.0e6f;
            pixel[1] = std::numeric_limits<float>::infinity();
            pixel[2] = -1.0e6f;
        }
    }
    const auto after = extract(map);
    for (int i = 0; i < kLights; ++i) {
        EXPECT_TRUE(sameBits(before->directions[i], after->directions[i]) && sameBits(before->colours[i], after->colours[i]))
            << i;
    }
}

TEST(EnvironmentLights, SelectEnvironmentCopiesExactlyTheLightCount) {
    auto lights = std::make_unique<EnvironmentLights>();
    for (int i = 0; i < kMaxLights; ++i) {
        lights->directions[1][i] = Vector3(float(i), 1.0f, 0.0f);
        lights->colours[1][i] = Vector3(0.0f, float(i), 2.0f);
        lights->currentDirections[i] = lights->currentColours[i] = Vector3(-1.0f, -1.0f, -1.0f);
    }
    lights->copyToCurrent(1);
    EXPECT_EQ(lights->currentEnvironment, 0);
    lights->selectEnvironment(1);
    EXPECT_EQ(lights->currentEnvironment, 1);
    for (int i = 0; i < kMaxLights; ++i) {
        EXPECT_EQ(lights->currentDirections[i].x, i < kLights ? float(i) : -1.0f) << i;
        EXPECT_EQ(lights->currentColours[i].y, i < kLights ? float(i) : -1.0f) << i;
    }
}
