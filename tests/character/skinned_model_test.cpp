// The character: its file reader, the 40 ms animation step, the clip machine and the skinning formula.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include "character/animation.h"
#include "character/model_text.h"
#include "character/skinned_model.h"
#include "support/recording_platform.h"
#include "support/scratch_directory.h"

namespace {

class SkinnedModelTest : public ::testing::Test {
protected:
    bool load(const std::string& text) { return model.loadFromText(text.data(), text.size(), "hero.txt"); }
    void loadGood(const ModelText& text) { ASSERT_TRUE(load(text.text())) << recording.messages.at(0).text; }
    int itemCount() const { return model.meshCount() + model.boneCount() + model.materialCount(); }
    // The first vertex's skinned position (x, y, z, w) and normal.
    std::vector<float> skinned() const {
        const std::vector<float>&p = model.meshes[0].skinnedPositions, &n = model.meshes[0].skinnedNormals;
        return {p[0], p[1], p[2], p[3], n[0], n[1], n[2]};
    }
    // One bone with pivot (1, 1, 1), the rest rotation (w x y z) and every keyframe the same; the first vertex.
    void loadOneBone(const std::string& vertex, const std::string& keyframe, const std::string& rotation = "1 0 0 0") {
        ModelText text = singleTriangleModel();
        text.meshes[0].vertices[0] = vertex;
        text.meshes[0].normals = {"0 0 2"};
        text.bones = {boneEntry(0, "1 1 1", keyframe, rotation)};
        loadGood(text);
    }

    RecordingPlatform recording;
    ScopedPlatformServices fake{recording};
    SkinnedModel model;
};

TEST_F(SkinnedModelTest, InfluencesFillFourSlotsAndAFifthIsWarnedAboutAndConsumed) {
    ModelText text = singleTriangleModel();
    text.meshes[0].vertices = {"0 0 0 5 1 a 0.1 2 b 0.2 3 c 0.3 4 d 0.15 5 e 0.25",
                               "1 2 3 4 6 a 0.4 5 b 0.3 4 c 0.2 3 d 0.1", "4 5 6 1 2 a 1", "7 8 9 0"};
    text.meshes[0].triangles = {"0 1 2", "1 2 3"};
    text.header = "85 7 1";
    text.bones = {boneEntry(1), boneEntry(1), boneEntry(1), boneEntry(1), boneEntry(1), boneEntry(1), boneEntry(0)};
    loadGood(text);
    // One warning, for the vertex with five influences; the next vertex starts after the fifth's three tokens.
    ASSERT_EQ(recording.messages.size(), 1u);
    EXPECT_EQ(recording.messages[0].title + ": " + recording.messages[0].text,
              "Warning: Max. Bones per Vertex exceeded");
    const SkinnedMesh& mesh = model.meshes[0];
    EXPECT_EQ(mesh.boneIndices, (std::vector<int>{1, 2, 3, 4, 6, 5, 4, 3, 2, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(mesh.weights,
              (std::vector<float>{0.1f, 0.2f, 0.3f, 0.15f, 0.4f, 0.3f, 0.2f, 0.1f, 1, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(mesh.positions, (std::vector<float>{0, 0, 0, 1, 1, 2, 3, 1, 4, 5, 6, 1, 7, 8, 9, 1}));
    EXPECT_EQ(mesh.indices, (std::vector<int>{0, 1, 2, 1, 2, 3}));
}

TEST_F(SkinnedModelTest, BonesAreNumberedDepthFirstWithRotationsReadWFirst) {
    ModelText text = singleTriangleModel();
    text.header = "90 5 2";  // a root with two children (the first with one child), then a second root
    text.bones.clear();
    for (const int children : {2, 1, 0, 0, 0}) {
        const bool second = text.bones.size() == 1;
        text.bones.push_back(boneEntry(children, std::to_string(text.bones.size()) + " 0 0",
                                       second ? "0.5 0.1 0.2 0.3 4 5 6" : "1 0 0 0 0 0 0", "1 0 0 0", 90));
    }
    loadGood(text);
    EXPECT_EQ(std::make_tuple(model.boneCount(), model.rootCount, model.frameCount), std::make_tuple(5, 2, 90));
    for (int bone = 0; bone < 5; ++bone) EXPECT_EQ(model.bones[bone].pivot.x, static_cast<float>(bone));
    const BoneKeyframe& key = model.bones[1].keyframes.at(89);
    EXPECT_EQ(std::vector<float>({key.rotation.w, key.rotation.x, key.rotation.y, key.rotation.z, key.translation.z}),
              (std::vector<float>{0.5f, 0.1f, 0.2f, 0.3f, 6.0f}));
}

TEST_F(SkinnedModelTest, MissingFileLeavesAnEmptyModelAndALaterLoadBuildsAfresh) {
    ScratchDirectory scratch;
    loadGood(singleTriangleModel());
    model.load("animation2.txt");  // its message is the end-to-end tests'
    EXPECT_EQ(recording.messages.size(), 1u);
    EXPECT_EQ(itemCount(), 0);
    // Present, it loads afresh: the clip playing stays, the frame and the gathered time start again.
    scratch.writeFile("animation2.txt", singleTriangleModel().text());
    std::tie(model.currentClip, model.currentFrame, model.elapsedSinceStep) = std::make_tuple(2, 40, 30.0f);
    model.load("animation2.txt");
    EXPECT_EQ(std::make_tuple(recording.messages.size(), model.meshCount()), std::make_tuple(std::size_t{1}, 1));
    EXPECT_EQ(std::make_tuple(model.currentClip, model.currentFrame, model.elapsedSinceStep),
              std::make_tuple(2, 0, 0.0f));
}

TEST_F(SkinnedModelTest, MalformedFilesAreRefusedWithOneMessageAndAnEmptyModel) {
    const std::string good = singleTriangleModel().text();
    // {file text, part of the message}; bytes of another file type are quoted as text a message box can show.
    std::vector<std::pair<std::string, std::string>> cases = {
        {good.substr(0, good.find("7.5\n") + 10), "the file ends where a normal"},
        {"1\nm 1 1 1 1 1\nmany", "expected the mesh count (an integer) at token 8"},
        {"1\nm 0x1p3 1 1 1 1\n0\n85 0 0\n", "a material's red"},
        {"99999999999", "out of range"},
        {std::string("\x89PNG\r\n\x1a\n\0\x7f", 10), "found \"\\x89PNG\""},
    };
    // Edits of the single-triangle model.
    const std::vector<std::pair<void (*)(ModelText&), std::string>> edits = {
        {[](ModelText& t) { t.meshes[0].vertexCount = "-2"; }, "the vertex count at token 10 (line 4) is negative"},
        {[](ModelText& t) { t.meshes[0].triangleCount = "2000000000"; }, "more than the rest of the file can hold"},
        {[](ModelText& t) { t.meshes[0].material = 1; },
         "material index at token 9 (line 4) is 1, but there are 1 materials"},
        {[](ModelText& t) { t.meshes[0].triangles = {"0 1 3"}; }, "vertex index"},
        {[](ModelText& t) { t.meshes[0].vertices[2] = "0 1 0 2 0 root 0.5 1 other 0.5"; }, "vertex 2 names bone 1"},
        {[](ModelText& t) { t.header = "84 1 1", t.bones = {boneEntry(0, "0 0 0", "1 0 0 0 0 0 0", "1 0 0 0", 84)}; },
         "needs 85 keyframes"},
        {[](ModelText& t) { t.bones = {boneEntry(0, "0 0 0", "0 0 0 0 1 2 3")}; }, "has no inverse"},
        {[](ModelText& t) { t.header = "85 1 2", t.bones.push_back(boneEntry(0)); },
         "more bones than the bone count of 1"},
        {[](ModelText& t) { t.header = "85 2 1", t.bones.push_back(boneEntry(0)); },
         "hold 1 bones, but the bone count is 2"},
    };
    for (const auto& [edit, problem] : edits) {
        ModelText text = singleTriangleModel();
        edit(text);
        cases.push_back({text.text(), problem});
    }
    for (const auto& [text, problem] : cases) {
        recording.messages.clear();
        ASSERT_TRUE(load(good));
        EXPECT_FALSE(load(text));
        ASSERT_EQ(recording.messages.size(), 1u) << problem;
        const std::string message = recording.messages[0].title + ": " + recording.messages[0].text;
        EXPECT_EQ(message.rfind("Error: hero.txt", 0), 0u) << message;
        EXPECT_NE(message.find(problem), std::string::npos) << message;
        EXPECT_EQ(itemCount(), 0) << problem;
        model.update(41.0f);  // the empty model still animates its clip state
    }
}

TEST_F(SkinnedModelTest, StepsAfterMoreThanFortyMillisecondsAndSkinsTheNewFrame) {
    ModelText text = singleTriangleModel();
    text.bones = {"bone 0\n1 0 0 0\n0 0 0\n"};
    for (int frame = 0; frame < 85; ++frame) text.bones[0] += "1 0 0 0 " + std::to_string(frame) + " 0 0\n";
    loadGood(text);  // keyframe f moves the bone by (f, 0, 0): the vertex shows the frame
    EXPECT_EQ(skinned()[0], 0.0f) << "the first frame is skinned at load";
    const std::pair<float, int> steps[] = {{16, 0}, {16, 0}, {16, 2}, {40, 2}, {1, 4}, {500, 6}, {40, 6}};
    for (const auto& [elapsed, frame] : steps) {  // {elapsed milliseconds, frame after the update}
        model.update(elapsed);
        ASSERT_EQ(model.currentFrame, frame) << "a step needs more than 40 ms; a long frame is one step";
    }
    EXPECT_EQ(skinned()[0], 3.0f) << "0.5 * frame 6's translation";
}

TEST_F(SkinnedModelTest, ClipsFollowTheTable) {
    loadGood(singleTriangleModel());
    for (int expected = 2; expected <= 28; expected += 2) {
        model.update(41.0f);
        ASSERT_EQ(model.currentFrame, expected);
    }
    std::srand(5);
    const int next = std::rand() % 10 >= 8 ? 1 : 0;  // the clip after 0, drawn from the same number
    std::srand(5);
    model.update(41.0f);
    EXPECT_EQ(model.currentClip, next);
    EXPECT_EQ(model.currentFrame, next == 1 ? 30 : 0) << "the first frame of the clip";
    std::tie(model.currentClip, model.currentFrame) = std::make_tuple(3, 80);  // 80 to 84, then clip 0 from 0
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
    }
    EXPECT_EQ(chooseNextClip(1), 2);
    EXPECT_EQ(chooseNextClip(3), 0);
}

TEST_F(SkinnedModelTest, SkinningAtHalfScaleWithoutScalingByRotationLength) {
    // Identity rotations: 0.5 * (p - pivot + t), w = 1; the normal is kept as summed (not normalised).
    loadOneBone("3 5 7 1 0 root 1", "1 0 0 0 0.5 -2 4");
    EXPECT_EQ(skinned(), (std::vector<float>{1.25f, 1.0f, 5.0f, 1.0f, 0.0f, 0.0f, 2.0f}));
    // Rotations (2, 0, 0, 0), w first, turn like the identity and do not scale.
    loadOneBone("3 5 7 1 0 root 1", "2 0 0 0 0.5 -2 4", "2 0 0 0");
    EXPECT_FLOAT_EQ(skinned()[0], 1.25f);
    EXPECT_FLOAT_EQ(skinned()[6], 2.0f);
    loadOneBone("3 5 7 2 0 root 0 0 root 0", "1 0 0 0 0.5 -2 4");  // all weights zero: origin, zero normal
    EXPECT_EQ(skinned(), (std::vector<float>{0, 0, 0, 1, 0, 0, 0}));
}

TEST_F(SkinnedModelTest, SkinningIsTheWeightedSumOfTheQuaternionProductsExactly) {
    // Rotations neither unit nor trivial: the products in order with the stored inverses, to the bit; the
    // negative weight is skipped.
    ModelText text = singleTriangleModel();
    text.meshes[0].vertices[0] = "1.1 2.3 -0.7 3 0 a 0.8 1 b 0.2 0 c -1";
    text.meshes[0].normals = {"0.2 0.9 -0.4"};
    text.header = "85 2 1";
    text.bones = {boneEntry(1, "0.25 1.5 -0.75", "1.3 -0.4 0.7 0.1 1 -2 0.5", "0.9 0.3 -0.2 0.5"),
                  boneEntry(0, "-1 0.5 2", "0.6 0.2 0.1 -0.8 3 0 -1", "1 0 0.4 0")};
    loadGood(text);
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
    EXPECT_EQ(skinned(),
              (std::vector<float>{0.5f * sumP.x, 0.5f * sumP.y, 0.5f * sumP.z, 1.0f, sumN.x, sumN.y, sumN.z}));
}

}  // namespace
