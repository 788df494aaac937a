// Animation step and skinning: the 40 ms rule, the clip machine and the skinning formula.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "character/animation.h"
#include "character/model_text.h"
#include "character/skinned_model.h"
#include "support/recording_platform.h"

namespace {

class AnimationTest : public ::testing::Test {
protected:
    void load(const ModelText& text) {
        const std::string content = text.text();
        ASSERT_TRUE(model.loadFromText(content.data(), content.size(), "test model")) << recording.messages[0].text;
    }
    // The first vertex's skinned position (x, y, z, w) and normal.
    std::vector<float> skinned() const {
        const SkinnedMesh& mesh = model.meshes[0];
        return {mesh.skinnedPositions[0], mesh.skinnedPositions[1], mesh.skinnedPositions[2], mesh.skinnedPositions[3],
                mesh.skinnedNormals[0],   mesh.skinnedNormals[1],   mesh.skinnedNormals[2]};
    }
    // One bone with the rest rotation (w x y z) and pivot, every keyframe the same; the first vertex and normal.
    void loadOneBone(const std::string& vertex, const std::string& keyframe, const std::string& rotation = "1 0 0 0") {
        ModelText text = singleTriangleModel();
        text.meshes[0].vertices[0] = vertex;
        text.meshes[0].normals = {"0 0 2"};
        text.bones = {boneEntry(0, "1 1 1", keyframe, rotation)};
        load(text);
    }

    RecordingPlatform recording;
    ScopedPlatformServices fake{recording};
    SkinnedModel model;
};

TEST_F(AnimationTest, StepsAfterMoreThanFortyMillisecondsAndSkinsTheNewFrame) {
    ModelText text = singleTriangleModel();
    text.bones = {"bone 0\n1 0 0 0\n0 0 0\n"};
    for (int frame = 0; frame < 85; ++frame) text.bones[0] += "1 0 0 0 " + std::to_string(frame) + " 0 0\n";
    load(text);  // keyframe f moves the bone by (f, 0, 0): the vertex shows the frame
    EXPECT_EQ(skinned()[0], 0.0f) << "the first frame is skinned at load";
    // {elapsed milliseconds, frame after the update}
    const std::pair<float, int> steps[] = {{16, 0}, {16, 0}, {16, 2}, {40, 2}, {1, 4}, {500, 6}, {40, 6}};
    for (const auto& [elapsed, frame] : steps) {
        model.update(elapsed);
        ASSERT_EQ(model.currentFrame, frame) << "a step needs more than 40 ms; a long frame is one step";
    }
    EXPECT_EQ(skinned()[0], 3.0f) << "0.5 * frame 6's translation";
}

TEST_F(AnimationTest, ClipsFollowTheTable) {
    load(singleTriangleModel());
    for (int expected = 2; expected <= 28; expected += 2) {
        model.update(41.0f);
        ASSERT_EQ(model.currentFrame, expected);
    }
    model.update(41.0f);
    EXPECT_TRUE((model.currentClip == 0 && model.currentFrame == 0) ||
                (model.currentClip == 1 && model.currentFrame == 30));
    model.currentClip = 3;  // 80 to 84, then clip 0 from frame 0
    model.currentFrame = 80;
    for (int expected : {81, 82, 83, 84, 0}) {
        model.update(41.0f);
        ASSERT_EQ(model.currentFrame, expected);
    }
    EXPECT_EQ(model.currentClip, 0);
    model.currentClip = 7;  // outside the table: back to clip 0
    model.update(41.0f);
    EXPECT_EQ(model.currentClip, 0);
    for (unsigned seed = 1; seed <= 40; ++seed) {  // the next clip follows the drawn number r
        std::srand(seed);
        const int r = std::rand();
        std::srand(seed);
        EXPECT_EQ(chooseNextClip(0), r % 10 >= 8 ? 1 : 0) << "r = " << r;
        std::srand(seed);
        EXPECT_EQ(chooseNextClip(2), r % 2 == 1 ? 3 : 2) << "r = " << r;
        EXPECT_EQ(chooseNextClip(1), 2);
        EXPECT_EQ(chooseNextClip(3), 0);
    }
}

TEST_F(AnimationTest, SkinningAtHalfScaleWithoutScalingByRotationLength) {
    // Identity rotations: 0.5 * (p - pivot + t), w = 1; the normal is kept as summed.
    loadOneBone("3 5 7 1 0 root 1", "1 0 0 0 0.5 -2 4");
    EXPECT_EQ(skinned(), (std::vector<float>{1.25f, 1.0f, 5.0f, 1.0f, 0.0f, 0.0f, 2.0f}));
    // A keyframe rotation (2, 0, 0, 0) turns like the identity and does not scale.
    loadOneBone("3 5 7 1 0 root 1", "2 0 0 0 0.5 -2 4");
    EXPECT_FLOAT_EQ(skinned()[0], 1.25f);
    EXPECT_FLOAT_EQ(skinned()[6], 2.0f);
    // All weights zero: the origin and a zero normal.
    loadOneBone("3 5 7 2 0 root 0 0 root 0", "1 0 0 0 0.5 -2 4");
    EXPECT_EQ(skinned(), (std::vector<float>{0, 0, 0, 1, 0, 0, 0}));
}

TEST_F(AnimationTest, SkinningIsTheWeightedSumOfTheQuaternionProductsExactly) {
    // Rotations neither unit nor trivial: the products in order with the stored inverses, to the bit; the
    // negative weight is skipped.
    ModelText text = singleTriangleModel();
    text.meshes[0].vertices[0] = "1.1 2.3 -0.7 3 0 a 0.8 1 b 0.2 0 c -1";
    text.meshes[0].normals = {"0.2 0.9 -0.4"};
    text.header = "85 2 1";
    text.bones = {boneEntry(1, "0.25 1.5 -0.75", "1.3 -0.4 0.7 0.1 1 -2 0.5", "0.9 0.3 -0.2 0.5"),
                  boneEntry(0, "-1 0.5 2", "0.6 0.2 0.1 -0.8 3 0 -1", "1 0 0.4 0")};
    load(text);
    Vector3 sumP, sumN;
    for (int b = 0; b < 2; ++b) {
        const Bone& bone = model.bones[b];
        const BoneKeyframe& key = bone.keyframes[0];
        const float w = b == 0 ? 0.8f : 0.2f;
        const Vector3 d = rotate(bone.rotation, bone.inverseRotation, Vector3(1.1f, 2.3f, -0.7f) - bone.pivot);
        sumP = sumP + w * (rotate(key.rotation, key.inverseRotation, d) + key.translation);
        sumN = sumN + w * rotate(key.rotation, key.inverseRotation,
                                 rotate(bone.rotation, bone.inverseRotation, Vector3(0.2f, 0.9f, -0.4f)));
    }
    EXPECT_EQ(skinned(), (std::vector<float>{0.5f * sumP.x, 0.5f * sumP.y, 0.5f * sumP.z, 1.0f, sumN.x, sumN.y, sumN.z}));
}

}  // namespace
