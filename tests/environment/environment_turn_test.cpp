// Environment turn: a turned map's lights are those its sky shows, the map's columns moved by the turn.
#include <gtest/gtest.h>

#include <random>

#include "environment/environment_turn.h"
#include "environment/light_extractor.h"

namespace {

constexpr int kWidth = 256;
constexpr int kHeight = 256;
// Float rounding of the light's own direction and of the turn.
constexpr float kTolerance = 2e-6f;

}  // namespace

TEST(EnvironmentTurnTest, TurnedLightsPointAtTheirPixelsWithTheColumnsMovedByTheTurn) {
    // Dim with a few very bright pixels, like a real sky.
    std::vector<float> pixels(static_cast<size_t>(kWidth) * kHeight * 3);
    std::mt19937 random(7);
    std::uniform_real_distribution<float> value(0.0f, 1.0f);
    for (float& channel : pixels) channel = value(random) < 0.999f ? value(random) : 5000.0f;
    LightExtractor extractor(pixels.data(), kWidth, kHeight);
    extractor.split(kLightTreeDepth);
    Vector3 directions[kDefaultLightCount];
    Vector3 colours[kDefaultLightCount];
    extractor.collectLights(directions, colours);
    const std::vector<const LightRegion*> leaves = extractor.leaves();

    // A turn by a shows what column c held at column c + a / 360 of the width.
    for (const auto& [degrees, columns] :
         {std::pair{90.0f, kWidth / 4}, {45.0f, kWidth / 8}, {-90.0f, kWidth * 3 / 4}, {450.0f, kWidth / 4}}) {
        const EnvironmentTurn turn = environmentTurn(degrees);
        for (int light = 0; light < kDefaultLightCount; ++light) {
            const Vector3 turned = mapToWorld(turn, directions[light]);
            const Vector3 expected = lightDirection((leaves[light]->lightColumn + columns) % kWidth,
                                                    leaves[light]->lightRow, kWidth, kHeight);
            EXPECT_NEAR(turned.x, expected.x, kTolerance) << degrees << " degrees, light " << light;
            EXPECT_NEAR(turned.y, expected.y, kTolerance) << degrees << " degrees, light " << light;
            EXPECT_NEAR(turned.z, expected.z, kTolerance) << degrees << " degrees, light " << light;
        }
    }
}
