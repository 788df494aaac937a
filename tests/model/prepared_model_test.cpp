// Prepared models: parts and batches by material, vertex colours, mirrored nodes, refusals, the shadow list, the
// material rule and the animator's clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "model/model_animator.h"
#include "model/prepared_model.h"
#include "support/model_builder.h"

namespace {

PreparedModel prepared(ModelData data, ModelPlacementOptions options = {}) {
    PreparedModel model;
    std::string cause;
    EXPECT_TRUE(prepareModel(std::move(data), options, model, cause)) << cause;
    return model;
}

float placedHeight(const PreparedModel& model) { return model.placedBounds.max[1] - model.placedBounds.min[1]; }

}  // namespace

TEST(PreparedModelTest, PrimitivesOfOneMaterialShareOneBatchWhateverMeshTheyBelongTo) {
    ModelPrimitive first = boxPrimitive({0, 0, 0}, {1, 1, 1}), second = first, other = first;
    first.material = second.material = 1;
    other.material = 0;
    ModelData data = singleMeshModel({first, other});
    data.materials.resize(2);
    data.meshes.push_back({"second", {second}});
    addNode(data, -1, 1);
    const PreparedModel model = prepared(std::move(data));
    ASSERT_EQ(model.batches.size(), 2u);
    EXPECT_EQ(model.batches[0].surface, 0);
    EXPECT_EQ(model.batches[0].full.count, 36u);
    EXPECT_EQ(model.batches[1].full.count, 72u);
    EXPECT_EQ(model.vertexCount, 72);
}

TEST(PreparedModelTest, VertexColoursAreTheBaseColourFactorTimesColour0) {
    ModelPrimitive box = boxPrimitive({0, 0, 0}, {1, 1, 1});
    box.colours.assign(24 * 4, 0.5f);
    box.material = 0;
    ModelData data = singleMeshModel({box});
    data.materials.resize(1);
    data.materials[0].baseColourFactor = {1.0f, 0.5f, 0.25f, 1.0f};
    const PreparedModel model = prepared(std::move(data));
    EXPECT_FLOAT_EQ(model.colours[1], 0.25f);
    EXPECT_FLOAT_EQ(model.colours[3], 0.5f);
}

TEST(PreparedModelTest, AMirroringNodeTurnsItsTrianglesAroundSoTheyStillFaceOut) {
    ModelData data = singleMeshModel({boxPrimitive({0, 0, 0}, {1, 1, 1})});
    const PreparedModel plain = prepared(data);
    data.nodes[0].scale = {-1.0f, 1.0f, 1.0f};
    const PreparedModel mirrored = prepared(std::move(data));
    EXPECT_EQ(mirrored.indices[1], plain.indices[2]);
    EXPECT_EQ(mirrored.indices[2], plain.indices[1]);
}

TEST(PreparedModelTest, AMeshNamingAJointItsNodesSkinLacksIsRefused) {
    ModelData data = twoJointModel();
    data.meshes[0].primitives[0].joints[0] = 2;
    PreparedModel model;
    std::string cause;
    EXPECT_FALSE(prepareModel(std::move(data), {}, model, cause));
    EXPECT_EQ(cause, "mesh \"column\" names joint 2 of a skin with 2");
}

TEST(PreparedModelTest, AModelOverTheBudgetGetsASimplifiedShadowListOverTheSameVertices) {
    const PreparedModel detailed = prepared(singleMeshModel({gridPrimitive(250, 200, 2.0f, 1.6f)}));
    EXPECT_EQ(detailed.triangleCount(), 100000u);
    EXPECT_LE(detailed.shadowTriangleCount(), kShadowTriangleBudget);
    EXPECT_GT(detailed.shadowTriangleCount(), kShadowTriangleBudget / 2);
    EXPECT_LT(*std::max_element(detailed.shadowIndices.begin(), detailed.shadowIndices.end()),
              static_cast<std::uint32_t>(detailed.vertexCount));
    const PreparedModel small = prepared(singleMeshModel({gridPrimitive(80, 50, 2.0f, 1.6f)}));
    EXPECT_TRUE(small.shadowIndices.empty()) << "8000 triangles are drawn as they are";
}

TEST(PreparedModelTest, PlacementMeasuresTheFirstAnimationsFirstFrameNotTheRestPose) {
    ModelData data = singleMeshModel({boxPrimitive({0, 0, 0}, {1, 1, 1})});
    ModelAnimation grow;
    grow.duration = 1.0f;
    grow.channels.push_back(
        makeChannel(0, AnimationPath::Scale, Interpolation::Linear, {0.0f, 1.0f}, {1, 2, 1, 1, 1, 1}));
    data.animations.push_back(grow);
    const PreparedModel model = prepared(std::move(data));
    EXPECT_FLOAT_EQ(model.placedBounds.max[0] - model.placedBounds.min[0], kCharacterHeight / 2.0f);
    EXPECT_FLOAT_EQ(placedHeight(model), kCharacterHeight);
}

TEST(ModelSurfaceTest, ASmoothMetalIsAMirrorARoughDielectricMatteASmoothDielectricGlossy) {
    ModelMaterial metal, rough, plastic;
    metal.metallicFactor = 1.0f, metal.roughnessFactor = 0.0f;
    rough.metallicFactor = 0.0f, rough.roughnessFactor = 1.0f;
    plastic.metallicFactor = 0.0f, plastic.roughnessFactor = 0.0f;
    EXPECT_FLOAT_EQ(surfaceFor(metal).mirrorAlpha, 1.0f);
    EXPECT_FLOAT_EQ(surfaceFor(metal).glossAlpha, 0.0f);
    EXPECT_FLOAT_EQ(surfaceFor(rough).mirrorAlpha, 0.5f);
    EXPECT_FLOAT_EQ(surfaceFor(rough).glossAlpha, 0.0f);
    EXPECT_FLOAT_EQ(surfaceFor(plastic).mirrorAlpha, 0.5f);
    EXPECT_FLOAT_EQ(surfaceFor(plastic).glossAlpha, 1.0f);
}

class ModelAnimatorTest : public ::testing::Test {
protected:
    PreparedModel model = prepared(twoJointModel());
    ModelAnimator animator;
    // The top vertex's placed x, which the bend swings out.
    float topX() const { return model.positions[12]; }
};

TEST_F(ModelAnimatorTest, TheFirstAnimationLoopsWithTheClockAndPosesOnlyWhenTheClockMoves) {
    animator.start(model);
    const float start = topX();
    EXPECT_FALSE(animator.advance(model, 0));
    EXPECT_TRUE(animator.advance(model, 500));
    EXPECT_LT(topX(), start - 0.1f);
    EXPECT_TRUE(animator.advance(model, 500));  // one second: back at the start
    EXPECT_FLOAT_EQ(topX(), start);
}

TEST_F(ModelAnimatorTest, AModelWithoutAnimationIsPosedOnceAndAStepAnimationOnlyWhenItsKeyChanges) {
    model.data.animations[0].channels[0].interpolation = Interpolation::Step;
    model.data.animations[0].duration = 2.0f;  // the second key then shows for a second
    animator.start(model);
    EXPECT_FALSE(animator.advance(model, 400)) << "still the first key";
    EXPECT_TRUE(animator.advance(model, 700)) << "past the second key";
    PreparedModel still = prepared(singleMeshModel({boxPrimitive({0, 0, 0}, {1, 1, 1})}));
    ModelAnimator idle;
    idle.start(still);
    EXPECT_EQ(idle.playingAnimation(), -1);
    EXPECT_FALSE(idle.advance(still, 40));
}

TEST_F(ModelAnimatorTest, SelectingAnAnimationRestartsItAndAnIndexOutOfRangeChangesNothing) {
    animator.start(model);
    animator.advance(model, 500);
    EXPECT_FALSE(animator.selectAnimation(model, 1));
    EXPECT_EQ(animator.playingAnimation(), 0);
    const float bent = topX();
    EXPECT_TRUE(animator.selectAnimation(model, 0));
    EXPECT_GT(topX(), bent + 0.1f);
}

TEST_F(ModelAnimatorTest, SkinnedPositionsAtATimeAreInTheFilesOwnCoordinates) {
    const std::vector<float> quarter = skinnedPositionsAt(model, 0, 1.0f);  // the child joint a quarter turn
    EXPECT_NEAR(quarter[12], -1.0f, 1e-6f);
    EXPECT_NEAR(quarter[13], 1.0f, 1e-6f);
    EXPECT_FLOAT_EQ(skinnedPositionsAt(model, -1, 0.0f)[13], 2.0f) << "the rest pose";
}
