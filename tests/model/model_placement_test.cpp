// Model placement: the character's height, the model's own metres, the scale option, facing and the shadow maps' reach.
#include <gtest/gtest.h>

#include "model/model_placement.h"

namespace {

ModelBounds box(Vector3f min, Vector3f max) { return {min, max}; }

ModelBounds placed(const ModelBounds& bounds, ModelPlacementOptions options = {}) {
    return placedBounds(bounds, placementFor(bounds, options));
}

}  // namespace

TEST(ModelPlacementTest, AModelStandsOnTheGroundCentredOnTheCharactersSpotAsTallAsTheCharacter) {
    const ModelBounds result = placed(box({1.0f, 2.0f, 3.0f}, {3.0f, 6.0f, 5.0f}));
    EXPECT_FLOAT_EQ(result.min[1], 0.0f);
    EXPECT_FLOAT_EQ(result.max[1], kCharacterHeight);
    EXPECT_NEAR(result.min[0] + result.max[0], 0.0f, 1e-6f);
    EXPECT_NEAR(result.min[2] + result.max[2], 0.0f, 1e-6f);
    EXPECT_FLOAT_EQ(result.max[0] - result.min[0], 0.9f) << "scaled evenly: 2 of 4 units across";
}

TEST(ModelPlacementTest, TheScaleOptionMultipliesEitherSize) {
    EXPECT_FLOAT_EQ(placed(box({0, 0, 0}, {1, 4, 1}), {2.0f, false}).max[1], 2.0f * kCharacterHeight);
    EXPECT_FLOAT_EQ(placed(box({0, 0, 0}, {1, 0.9f, 1}), {2.0f, true}).max[1], 1.8f);
}

TEST(ModelPlacementTest, ActualSizeKeepsTheModelsMetresAgainstACharacterOfOnePointEightMetres) {
    const ModelBounds result = placed(box({0, -1, 0}, {1, 0.2f, 1}), {1.0f, true});
    EXPECT_FLOAT_EQ(result.max[1], 1.2f * kCharacterHeight / kCharacterHeightMetres);
    EXPECT_FLOAT_EQ(result.min[1], 0.0f);
}

TEST(ModelPlacementTest, TheModelIsNotTurnedSoItsFrontFacesTheCameraLikeTheCharacters) {
    // glTF's front is +z, and the camera starts on +z looking toward -z.
    const Matrix4 placement = placementFor(box({-1, 0, -1}, {1, 2, 1}), {});
    float nose[3], back[3];
    const float front[3] = {0, 1, 1}, rear[3] = {0, 1, -1};
    transformPoint(placement, front, nose);
    transformPoint(placement, rear, back);
    EXPECT_GT(nose[2], back[2]);
    EXPECT_FLOAT_EQ(nose[0], back[0]);
}

TEST(ModelPlacementTest, AFlatModelIsSizedByItsWidestExtent) {
    const ModelBounds result = placed(box({0, 0, 0}, {3, 0, 1}));
    EXPECT_FLOAT_EQ(result.max[0] - result.min[0], kCharacterHeight);
}

TEST(ModelPlacementTest, AModelReachingBeyondFiveUnitsOfTheOriginMissesSomeShadowMaps) {
    EXPECT_FALSE(reachesBeyondShadowMaps(placed(box({0, 0, 0}, {1, 4, 1}))));
    EXPECT_TRUE(reachesBeyondShadowMaps(placed(box({0, 0, 0}, {1, 12, 1}), {1.0f, true})));
}
