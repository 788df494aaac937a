// Animation step and skinning: the 40 ms rule, the clip machine and the skinning formula.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "character/animation_clips.h"
#include "character/model_text.h"
#include "character/skinned_model.h"
#include "support/recording_platform.h"

namespace {

class AnimationTest : public ::testing::Test {
protected:
    void load(const ModelText& text) {
        const std::string content = text.text();
        ASSERT_TRUE(model.loadFromText(content.data(), content.size(), "test model"))
            << recording.messages.back().text;
    }

    // The skinned position and normal of vertex 0 of mesh 0.
    Vector3 skinnedPosition(int vertex = 0) const {
        const float* p = &model.meshes[0].skinnedPositions[vertex * 4];
        return {p[0], p[1], p[2]};
    }
    Vector3 skinnedNormal(int vertex = 0) const {
        const float* n = &model.meshes[0].skinnedNormals[vertex * 3];
        return {n[0], n[1], n[2]};
    }

    RecordingPlatform recording;
    ScopedPlatformServices fake{recording};
    SkinnedModel model;
};

TEST_F(AnimationTest, StepsOnlyAfterMoreThanFortyMillisecondsAndDropsTheRest) {
    load(singleTriangleModel());
    model.update(16.0f);
    model.update(16.0f);
    EXPECT_EQ(model.currentFrame, 0) << "32 ms gathered";
    model.update(16.0f);
    EXPECT_EQ(model.currentFrame, 2) << "48 ms gathered";
    EXPECT_EQ(model.elapsedSinceStep, 0.0f);

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
    std::srand(12345);
    load(singleTriangleModel());
    // Clip 0 shows its even frames, then the clip chooseNextClip picks.
    for (int expected = 2; expected <= 28; expected += 2) {
        model.update(41.0f);
        ASSERT_EQ(model.currentFrame, expected);
        ASSERT_EQ(model.currentClip, 0);
    }
    model.update(41.0f);
    EXPECT_TRUE((model.currentClip == 0 && model.currentFrame == 0) ||
                (model.currentClip == 1 && model.currentFrame == 30))
        << model.currentClip << " " << model.currentFrame;

    // Clip 3 plays 80 to 84, then returns to clip 0 at frame 0.
    model.currentClip = 3;
    model.currentFrame = 80;
    for (int expected = 81; expected <= 84; ++expected) {
        model.update(41.0f);
        ASSERT_EQ(model.currentFrame, expected);
    }
    model.update(41.0f);
    EXPECT_EQ(model.currentClip, 0);
    EXPECT_EQ(model.currentFrame, 0);

    // Clip 1 always leads into clip 2's first frame; a clip number outside
    // the table goes back to clip 0.
    model.currentClip = 1;
    model.currentFrame = 49;
    model.update(41.0f);
    EXPECT_EQ(model.currentClip, 2);
    EXPECT_EQ(model.currentFrame, 50);
    model.currentClip = 7;
    model.update(41.0f);
    EXPECT_EQ(model.currentClip, 0);
    EXPECT_EQ(model.currentFrame, 0);
}

TEST_F(AnimationTest, NextClipFollowsTheDrawnNumber) {
    for (unsigned seed = 1; seed <= 40; ++seed) {
        std::srand(seed);
        const int r = std::rand();
        std::srand(seed);
        EXPECT_EQ(chooseNextClip(0), r % 10 >= 8 ? 1 : 0) << "r = " << r;
        std::srand(seed);
        EXPECT_EQ(chooseNextClip(2), r % 2 == 1 ? 3 : 2) << "r = " << r;
        EXPECT_EQ(chooseNextClip(1), 2);
        EXPECT_EQ(chooseNextClip(3), 0);
        EXPECT_EQ(chooseNextClip(-1), 0);
    }
}

// One vertex at p bound to bone 0 with the given influence text, the bone's
// rest rotation and pivot and every keyframe as given.
ModelText oneBoneModel(const std::string& vertex, const std::string& normal, const std::string& pivot,
                       const std::string& keyframe, const std::string& rotation = "1 0 0 0") {
    ModelText text = singleTriangleModel();
    text.meshes[0].vertices[0] = vertex;
    text.meshes[0].normals = {normal};
    text.bones = {boneEntry(0, pivot, keyframe, rotation)};
    return text;
}

TEST_F(AnimationTest, SkinningPlacesVerticesAtHalfScale) {
    // Identity rotations: 0.5 * (p - pivot + t).
    load(oneBoneModel("3 5 7 1 0 root 1", "0 0 2", "1 1 1", "1 0 0 0 0.5 -2 4"));
    EXPECT_EQ(skinnedPosition().x, 0.5f * (3.0f - 1.0f + 0.5f));
    EXPECT_EQ(skinnedPosition().y, 0.5f * (5.0f - 1.0f - 2.0f));
    EXPECT_EQ(skinnedPosition().z, 0.5f * (7.0f - 1.0f + 4.0f));
    EXPECT_EQ(model.meshes[0].skinnedPositions[3], 1.0f);
    EXPECT_EQ(skinnedNormal().z, 2.0f) << "the normal is neither scaled nor normalised";

    // A keyframe rotation of length 2 turns like the identity and does not scale.
    load(oneBoneModel("3 5 7 1 0 root 1", "0 0 2", "1 1 1", "2 0 0 0 0.5 -2 4"));
    EXPECT_FLOAT_EQ(skinnedPosition().x, 1.25f);
    EXPECT_FLOAT_EQ(skinnedPosition().z, 5.0f);
    EXPECT_FLOAT_EQ(skinnedNormal().z, 2.0f);

    // All four weights zero: the origin with w = 1 and a zero normal.
    load(oneBoneModel("3 5 7 2 0 root 0 0 root 0", "0 0 2", "1 1 1", "1 0 0 0 0.5 -2 4"));
    EXPECT_EQ(skinnedPosition().x, 0.0f);
    EXPECT_EQ(skinnedPosition().y, 0.0f);
    EXPECT_EQ(skinnedPosition().z, 0.0f);
    EXPECT_EQ(model.meshes[0].skinnedPositions[3], 1.0f);
    EXPECT_EQ(skinnedNormal().z, 0.0f);
}

TEST_F(AnimationTest, SkinningRotatesAboutThePivotAndSumsWeightedInfluences) {
    // Bone 0 turns a quarter about z in every keyframe; bone 1 only translates.
    const float h = 0.70710678f;
    ModelText text = singleTriangleModel();
    text.meshes[0].vertices[0] = "2 1 0 3 0 a 0.25 1 b 0.75 0 c -1";
    text.meshes[0].normals = {"1 0 0"};
    text.header = "85 2 1";
    text.bones = {boneEntry(1, "1 1 0", std::to_string(h) + " 0 0 " + std::to_string(h) + " 0 0 0"),
                  boneEntry(0, "0 0 0", "1 0 0 0 0 0 10")};
    load(text);
    // Bone 0: (1, 0, 0) about the pivot turns to (0, 1, 0); bone 1: (2, 1, 10).
    // The negative weight is skipped.
    EXPECT_NEAR(skinnedPosition().x, 0.5f * (0.25f * 0.0f + 0.75f * 2.0f), 1e-6f);
    EXPECT_NEAR(skinnedPosition().y, 0.5f * (0.25f * 1.0f + 0.75f * 1.0f), 1e-6f);
    EXPECT_NEAR(skinnedPosition().z, 0.5f * (0.75f * 10.0f), 1e-6f);
    EXPECT_NEAR(skinnedNormal().x, 0.75f, 1e-6f);
    EXPECT_NEAR(skinnedNormal().y, 0.25f, 1e-6f);
}

TEST_F(AnimationTest, SkinningMatchesTheQuaternionProductsExactly) {
    // Rest and keyframe rotations neither unit nor trivial: the result must be
    // the products taken in order with the stored inverses, to the bit.
    const Quaternion rest(0.3f, -0.2f, 0.5f, 0.9f);
    const Quaternion key(-0.4f, 0.7f, 0.1f, 1.3f);
    const Vector3 pivot(0.25f, 1.5f, -0.75f);
    const Vector3 translation(1.0f, -2.0f, 0.5f);
    const Vector3 p(1.1f, 2.3f, -0.7f);
    const Vector3 n(0.2f, 0.9f, -0.4f);
    auto quaternionText = [](const Quaternion& q) {
        return std::to_string(q.w) + " " + std::to_string(q.x) + " " + std::to_string(q.y) + " " +
               std::to_string(q.z);
    };
    load(oneBoneModel("1.1 2.3 -0.7 1 0 root 0.8", "0.2 0.9 -0.4", "0.25 1.5 -0.75",
                      quaternionText(key) + " 1 -2 0.5", quaternionText(rest)));
    const Bone& bone = model.bones[0];
    const BoneKeyframe& frame = bone.keyframes[0];
    Vector3 d = rotate(bone.rotation, bone.inverseRotation, p - pivot);
    d = rotate(frame.rotation, frame.inverseRotation, d) + translation;
    const Vector3 expected = 0.8f * d;
    Vector3 m = rotate(frame.rotation, frame.inverseRotation, rotate(bone.rotation, bone.inverseRotation, n));
    EXPECT_EQ(skinnedPosition().x, 0.5f * expected.x);
    EXPECT_EQ(skinnedPosition().y, 0.5f * expected.y);
    EXPECT_EQ(skinnedPosition().z, 0.5f * expected.z);
    EXPECT_EQ(skinnedNormal().x, 0.8f * m.x);
    EXPECT_EQ(skinnedNormal().y, 0.8f * m.y);
    EXPECT_EQ(skinnedNormal().z, 0.8f * m.z);
}

TEST_F(AnimationTest, EachStepSkinsTheKeyframeOfTheNewFrame) {
    ModelText text = singleTriangleModel();
    std::string bone = "bone 0\n1 0 0 0\n0 0 0\n";
    for (int frame = 0; frame < 85; ++frame) {
        bone += "1 0 0 0 " + std::to_string(frame) + " 0 0\n";
    }
    text.bones = {bone};
    load(text);
    EXPECT_EQ(skinnedPosition().x, 0.0f) << "the first frame is skinned at load";
    model.update(41.0f);
    EXPECT_EQ(skinnedPosition().x, 1.0f) << "frame 2 moves the vertex by 2 file units";
    model.currentClip = 2;
    model.currentFrame = 70;
    model.update(41.0f);
    EXPECT_EQ(skinnedPosition().x, 35.5f);
}

}  // namespace
