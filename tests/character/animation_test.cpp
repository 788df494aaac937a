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
    Vector3 skinnedPosition() const {
        const std::vector<float>& p = model.meshes[0].skinnedPositions;
        EXPECT_EQ(p[3], 1.0f);
        return {p[0], p[1], p[2]};
    }
    Vector3 skinnedNormal() const {
        const std::vector<float>& n = model.meshes[0].skinnedNormals;
        return {n[0], n[1], n[2]};
    }

    RecordingPlatform recording;
    ScopedPlatformServices fake{recording};
    SkinnedModel model;
};

// A vertex at (p) bound to one bone whose keyframes have the given rest
// rotation (w x y z), pivot and keyframe.
ModelText oneBoneModel(const std::string& vertex, const std::string& pivot, const std::string& keyframe,
                       const std::string& rotation = "1 0 0 0") {
    ModelText text = singleTriangleModel();
    text.meshes[0].vertices[0] = vertex;
    text.meshes[0].normals = {"0 0 2"};
    text.bones = {boneEntry(0, pivot, keyframe, rotation)};
    return text;
}

TEST_F(AnimationTest, StepsAfterMoreThanFortyMillisecondsAndSkinsTheNewFrame) {
    // Keyframe f moves the bone by (f, 0, 0), so the vertex shows the frame.
    ModelText text = singleTriangleModel();
    std::string bone = "bone 0\n1 0 0 0\n0 0 0\n";
    for (int frame = 0; frame < 85; ++frame) {
        bone += "1 0 0 0 " + std::to_string(frame) + " 0 0\n";
    }
    text.bones = {bone};
    load(text);
    EXPECT_EQ(skinnedPosition().x, 0.0f) << "the first frame is skinned at load";
    model.update(16.0f);
    model.update(16.0f);
    EXPECT_EQ(model.currentFrame, 0) << "32 ms gathered";
    model.update(16.0f);
    EXPECT_EQ(model.currentFrame, 2) << "48 ms gathered";
    EXPECT_EQ(skinnedPosition().x, 1.0f) << "0.5 * frame 2's translation";
    model.update(40.0f);
    EXPECT_EQ(model.currentFrame, 2) << "exactly 40 ms does not step";
    model.update(1.0f);
    EXPECT_EQ(model.currentFrame, 4);
    model.update(500.0f);
    EXPECT_EQ(model.currentFrame, 6) << "a long frame is still one step";
    model.update(40.0f);
    EXPECT_EQ(model.currentFrame, 6) << "the time beyond the step was dropped";
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
    // Clip 3 plays 80 to 84, then clip 0 starts at frame 0.
    model.currentClip = 3;
    model.currentFrame = 80;
    for (int expected = 81; expected <= 84; ++expected) {
        model.update(41.0f);
        ASSERT_EQ(model.currentFrame, expected);
    }
    model.update(41.0f);
    EXPECT_EQ(model.currentClip, 0);
    EXPECT_EQ(model.currentFrame, 0);
    // A clip number outside the table goes back to clip 0.
    model.currentClip = 7;
    model.update(41.0f);
    EXPECT_EQ(model.currentClip, 0);

    // The next clip follows the drawn number r.
    for (unsigned seed = 1; seed <= 40; ++seed) {
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
    // Identity rotations: 0.5 * (p - pivot + t); the normal is kept as summed.
    load(oneBoneModel("3 5 7 1 0 root 1", "1 1 1", "1 0 0 0 0.5 -2 4"));
    EXPECT_EQ(skinnedPosition().x, 0.5f * (3.0f - 1.0f + 0.5f));
    EXPECT_EQ(skinnedPosition().y, 0.5f * (5.0f - 1.0f - 2.0f));
    EXPECT_EQ(skinnedPosition().z, 0.5f * (7.0f - 1.0f + 4.0f));
    EXPECT_EQ(skinnedNormal().z, 2.0f);
    // A keyframe rotation (0, 0, 0, 2) turns like the identity and does not scale.
    load(oneBoneModel("3 5 7 1 0 root 1", "1 1 1", "2 0 0 0 0.5 -2 4"));
    EXPECT_FLOAT_EQ(skinnedPosition().x, 1.25f);
    EXPECT_FLOAT_EQ(skinnedNormal().z, 2.0f);
    // All four weights zero: the origin (w = 1) and a zero normal.
    load(oneBoneModel("3 5 7 2 0 root 0 0 root 0", "1 1 1", "1 0 0 0 0.5 -2 4"));
    EXPECT_EQ(skinnedPosition().x + skinnedPosition().y + skinnedPosition().z, 0.0f);
    EXPECT_EQ(skinnedNormal().z, 0.0f);
}

TEST_F(AnimationTest, SkinningIsTheWeightedSumOfTheQuaternionProductsExactly) {
    // Rotations neither unit nor trivial: each influence must be the products
    // taken in order with the stored inverses, to the bit; the negative
    // weight is skipped.
    ModelText text = singleTriangleModel();
    text.meshes[0].vertices[0] = "1.1 2.3 -0.7 3 0 a 0.8 1 b 0.2 0 c -1";
    text.meshes[0].normals = {"0.2 0.9 -0.4"};
    text.header = "85 2 1";
    text.bones = {boneEntry(1, "0.25 1.5 -0.75", "1.3 -0.4 0.7 0.1 1 -2 0.5", "0.9 0.3 -0.2 0.5"),
                  boneEntry(0, "-1 0.5 2", "0.6 0.2 0.1 -0.8 3 0 -1", "1 0 0.4 0")};
    load(text);
    const Vector3 p(1.1f, 2.3f, -0.7f);
    const Vector3 n(0.2f, 0.9f, -0.4f);
    Vector3 sumP, sumN;
    for (int b = 0; b < 2; ++b) {
        const Bone& bone = model.bones[b];
        const BoneKeyframe& key = bone.keyframes[0];
        const float w = b == 0 ? 0.8f : 0.2f;
        const Vector3 d = rotate(bone.rotation, bone.inverseRotation, p - bone.pivot);
        sumP = sumP + w * (rotate(key.rotation, key.inverseRotation, d) + key.translation);
        sumN = sumN + w * rotate(key.rotation, key.inverseRotation, rotate(bone.rotation, bone.inverseRotation, n));
    }
    EXPECT_EQ(skinnedPosition().x, 0.5f * sumP.x);
    EXPECT_EQ(skinnedPosition().y, 0.5f * sumP.y);
    EXPECT_EQ(skinnedPosition().z, 0.5f * sumP.z);
    EXPECT_EQ(skinnedNormal().x, sumN.x);
    EXPECT_EQ(skinnedNormal().y, sumN.y);
    EXPECT_EQ(skinnedNormal().z, sumN.z);
}

}  // namespace
