// Median-cut light extraction: the cut's rules on small synthetic maps, and bit-exact agreement with a literal cut.
#include <gtest/gtest.h>

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
    int width;
    int height;
    std::vector<float> pixels;
    Map(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w) * h * 3, 0.0f) {}
    float* at(int x, int r) { return &pixels[3 * (static_cast<size_t>(r) * width + x)]; }
    int rootRow() const { return height / 2 + 32; }
};

Map randomMap(int width, int height, unsigned seed) {
    Map map(width, height);
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> value(0.0f, 1.0f);
    for (float& channel : map.pixels) {
        // Mostly dim with a few very bright pixels, like a real sky.
        const float v = value(random);
        channel = v < 0.999f ? v : v * 5000.0f;
    }
    return map;
}

struct Lights {
    Vector3 directions[kMaxLights];
    Vector3 colours[kMaxLights];
    int count = 0;
};

Lights extract(const Map& map) {
    Lights lights;
    LightExtractor extractor(map.pixels.data(), map.width, map.height);
    extractor.split(kLightTreeDepth);
    extractor.collectLights(lights.directions, lights.colours);
    lights.count = extractor.lightsCollected();
    return lights;
}

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool sameBits(const Vector3& a, const Vector3& b) { return sameBits(a.x, b.x) && sameBits(a.y, b.y) && sameBits(a.z, b.z); }

void expectMatchesLiteralCut(const Map& map) {
    const Lights lights = extract(map);
    const std::vector<LiteralLight> literal = literalLights(map.pixels.data(), map.width, map.height, kLightTreeDepth);
    ASSERT_EQ(literal.size(), static_cast<size_t>(kLights));
    ASSERT_EQ(lights.count, kLights);
    for (int i = 0; i < kLights; ++i) {
        EXPECT_TRUE(sameBits(lights.directions[i], literal[i].direction)) << "direction of light " << i;
        EXPECT_TRUE(sameBits(lights.colours[i], literal[i].colour)) << "colour of light " << i;
    }
}

float angleBetween(const Vector3& a, const Vector3& b) {
    return std::acos(std::clamp(dot(a, b) / (length(a) * length(b)), -1.0f, 1.0f));
}

}  // namespace

TEST(LightExtraction, MatchesTheLiteralCutBitForBitOnAFullSizeMap) { expectMatchesLiteralCut(randomMap(2048, 2048, 7)); }

TEST(LightExtraction, MatchesTheLiteralCutOnANonSquareNonPowerOfTwoMap) {
    const Map map = randomMap(300, 170, 11);
    expectMatchesLiteralCut(map);
    // A map so short that the skipped rows cover it: no sky pixels at all.
    expectMatchesLiteralCut(randomMap(37, 50, 3));
}

TEST(LightExtraction, AllBlackMapGivesSixtyFourBlackLightsAndCutsAtTheFirstColumn) {
    const Map map(256, 128);
    LightExtractor extractor(map.pixels.data(), map.width, map.height);
    extractor.split(kLightTreeDepth);
    Lights lights;
    for (Vector3& d : lights.directions) d = Vector3(9.0f, 9.0f, 9.0f);
    extractor.collectLights(lights.directions, lights.colours);

    EXPECT_EQ(extractor.lightsCollected(), kLights);
    for (int i = 0; i < kLights; ++i) {
        EXPECT_EQ(lights.colours[i].x + lights.colours[i].y + lights.colours[i].z, 0.0f) << i;
        EXPECT_NEAR(length(lights.directions[i]), 1.0f, 1e-6f) << i;
    }
    // Energy 0 is reached by the first pixel: the left child is empty and the
    // right one keeps the whole root; empty leaves point straight down.
    const LightRegion* root = extractor.rootRegion();
    EXPECT_EQ(root->left->x1, 0);
    EXPECT_EQ(root->right->x0, 0);
    EXPECT_EQ(root->right->x1, 256);
    EXPECT_EQ(lights.directions[0].y, -1.0f);
    // collectLights writes exactly 64 entries.
    EXPECT_EQ(lights.directions[kLights].x, 9.0f);
}

TEST(LightExtraction, OneBrightPixelGivesOneLightWithItsDirectionAndWeightedMeanColour) {
    Map map(256, 256);
    const int column = 100;
    const int row = 200;
    const float bright[3] = {40.0f, 20.0f, 10.0f};
    std::memcpy(map.at(column, row), bright, sizeof bright);

    LightExtractor extractor(map.pixels.data(), map.width, map.height);
    extractor.split(kLightTreeDepth);
    Lights lights;
    extractor.collectLights(lights.directions, lights.colours);
    const std::vector<const LightRegion*> leaves = extractor.leaves();
    ASSERT_EQ(leaves.size(), static_cast<size_t>(kLights));

    int lit = 0;
    for (int i = 0; i < kLights; ++i) {
        const LightRegion& leaf = *leaves[i];
        const bool holds = leaf.x0 <= column && column < leaf.x1 && leaf.y0 <= row && row < leaf.y1;
        if (!holds) {
            EXPECT_EQ(lights.colours[i].x + lights.colours[i].y + lights.colours[i].z, 0.0f) << i;
            continue;
        }
        ++lit;
        const float pixelCount = static_cast<float>((leaf.x1 - leaf.x0) * (leaf.y1 - leaf.y0));
        const float w = std::cos(kPi * (static_cast<float>(row) / 256.0f - 0.5f));
        EXPECT_EQ(lights.colours[i].x, w * (bright[0] / pixelCount));
        EXPECT_EQ(lights.colours[i].y, w * (bright[1] / pixelCount));
        EXPECT_EQ(lights.colours[i].z, w * (bright[2] / pixelCount));
        const float theta = kPi * row / 256.0f;
        const float phi = kPi * (2.0f * column / 256.0f - 1.0f);
        const Vector3 expected(-std::sin(theta) * std::sin(phi), -std::cos(theta), std::sin(theta) * std::cos(phi));
        EXPECT_NEAR(lights.directions[i].x, expected.x, 1e-6f);
        EXPECT_NEAR(lights.directions[i].y, expected.y, 1e-6f);
        EXPECT_NEAR(lights.directions[i].z, expected.z, 1e-6f);
    }
    EXPECT_EQ(lit, 1);
}

TEST(LightExtraction, RowsBelowTheRootNeverMatter) {
    Map map = randomMap(300, 170, 5);
    const Lights before = extract(map);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (int r = 0; r < map.rootRow(); ++r) {
        for (int x = 0; x < map.width; ++x) {
            float* pixel = map.at(x, r);
            pixel[0] = (x + r) % 3 == 0 ? nan : 1.0e6f;
            pixel[1] = std::numeric_limits<float>::infinity();
            pixel[2] = -1.0e6f;
        }
    }
    const Lights after = extract(map);
    for (int i = 0; i < kLights; ++i) {
        EXPECT_TRUE(sameBits(before.directions[i], after.directions[i])) << i;
        EXPECT_TRUE(sameBits(before.colours[i], after.colours[i])) << i;
    }
}

TEST(LightExtraction, FirstCutOfAFullSizeMapIsBetweenColumnsOverTheSky) {
    const Map map = randomMap(2048, 2048, 9);
    LightExtractor extractor(map.pixels.data(), map.width, map.height);
    extractor.split(1);
    const LightRegion* root = extractor.rootRegion();
    EXPECT_EQ(root->y0, 1056);
    EXPECT_EQ(root->y1, 2048);
    ASSERT_NE(root->left, nullptr);
    EXPECT_EQ(root->left->y0, 1056);
    EXPECT_EQ(root->left->y1, 2048);
    EXPECT_EQ(root->left->x0, 0);
    EXPECT_EQ(root->left->x1, root->right->x0);
    EXPECT_GT(root->right->x0, 0);
    EXPECT_LT(root->right->x0, 2048);
}

TEST(LightExtraction, DirectionsMapTheHorizonColumnsAndThePoles) {
    const int w = 2048;
    const int h = 1024;
    const struct {
        int column;
        int row;
        Vector3 expected;
    } cases[] = {
        {0, h / 2, {0, 0, -1}},     {w / 4, h / 2, {1, 0, 0}}, {w / 2, h / 2, {0, 0, 1}},
        {3 * w / 4, h / 2, {-1, 0, 0}}, {w / 3, 0, {0, -1, 0}},  {w / 5, h, {0, 1, 0}},
    };
    for (const auto& c : cases) {
        const Vector3 d = lightDirection(c.column, c.row, w, h);
        EXPECT_NEAR(d.x, c.expected.x, 1e-6f) << c.column << "," << c.row;
        EXPECT_NEAR(d.y, c.expected.y, 1e-6f) << c.column << "," << c.row;
        EXPECT_NEAR(d.z, c.expected.z, 1e-6f) << c.column << "," << c.row;
    }
    // Just below the top row the direction is nearly straight up, and unit length everywhere.
    EXPECT_GT(lightDirection(17, h - 1, w, h).y, 0.9999f);
    EXPECT_NEAR(length(lightDirection(123, 777, w, h)), 1.0f, 1e-6f);
}

TEST(LightExtraction, BrightestLightPointsAtASunDisc) {
    // A dim sky brightening toward the horizon, and a sun 35 degrees up.
    Map map(1024, 512);
    const float elevation = 35.0f * kPi / 180.0f;
    const float azimuth = 0.7f;
    const Vector3 sun(std::cos(elevation) * std::sin(azimuth), std::sin(elevation), std::cos(elevation) * std::cos(azimuth));
    const float sunRadius = 1.0f * kPi / 180.0f;
    for (int r = 0; r < map.height; ++r) {
        for (int x = 0; x < map.width; ++x) {
            float* pixel = map.at(x, r);
            const float sky = 0.05f + 0.1f * (1.0f - static_cast<float>(r) / map.height);
            pixel[0] = sky;
            pixel[1] = sky;
            pixel[2] = 2.0f * sky;
            if (angleBetween(lightDirection(x, r, map.width, map.height), sun) < sunRadius) {
                pixel[0] = pixel[1] = pixel[2] = 20000.0f;
            }
        }
    }
    LightExtractor extractor(map.pixels.data(), map.width, map.height);
    extractor.split(kLightTreeDepth);
    Lights lights;
    extractor.collectLights(lights.directions, lights.colours);
    int brightest = 0;
    for (int i = 1; i < kLights; ++i) {
        if (lights.colours[i].y > lights.colours[brightest].y) brightest = i;
    }
    // Within one leaf's extent: the angle the brightest leaf spans corner to corner.
    const LightRegion& leaf = *extractor.leaves()[brightest];
    const float extent = angleBetween(lightDirection(leaf.x0, leaf.y0, map.width, map.height),
                                      lightDirection(leaf.x1, leaf.y1, map.width, map.height));
    const float error = angleBetween(lights.directions[brightest], sun);
    EXPECT_LE(error, std::max(extent, sunRadius)) << "leaf " << leaf.x0 << ".." << leaf.x1 << " x " << leaf.y0 << ".."
                                                  << leaf.y1;
    EXPECT_LT(error, 2.0f * sunRadius);
}

TEST(EnvironmentLights, SelectEnvironmentCopiesExactlyTheLightCount) {
    auto lights = std::make_unique<EnvironmentLights>();
    for (int i = 0; i < kMaxLights; ++i) {
        lights->directions[1][i] = Vector3(float(i), 1.0f, 0.0f);
        lights->colours[1][i] = Vector3(0.0f, float(i), 2.0f);
        lights->currentDirections[i] = Vector3(-1.0f, -1.0f, -1.0f);
        lights->currentColours[i] = Vector3(-2.0f, -2.0f, -2.0f);
    }
    lights->copyToCurrent(1);
    EXPECT_EQ(lights->currentEnvironment, 0);
    lights->selectEnvironment(1);
    EXPECT_EQ(lights->currentEnvironment, 1);
    EXPECT_EQ(lights->lightCount, kLights);
    for (int i = 0; i < kMaxLights; ++i) {
        const bool copied = i < kLights;
        EXPECT_EQ(lights->currentDirections[i].x, copied ? float(i) : -1.0f) << i;
        EXPECT_EQ(lights->currentColours[i].y, copied ? float(i) : -2.0f) << i;
    }
}
