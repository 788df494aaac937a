// Character file reader: influences, bone numbering, quaternion order, missing and malformed files.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "character/model_text.h"
#include "character/skinned_model.h"
#include "support/recording_platform.h"
#include "support/scratch_directory.h"

namespace {

class ModelReaderTest : public ::testing::Test {
protected:
    bool load(const std::string& text) { return model.loadFromText(text.data(), text.size(), "hero.txt"); }
    void expectEmpty() const {
        EXPECT_EQ(model.meshCount() + model.boneCount() + model.materialCount(), 0);
    }

    RecordingPlatform recording;
    ScopedPlatformServices fake{recording};
    SkinnedModel model;
};

TEST_F(ModelReaderTest, InfluencesFillFourSlotsAndAFifthIsWarnedAboutAndConsumed) {
    ModelText text = singleTriangleModel();
    text.meshes[0].vertices = {"0 0 0 5 1 a 0.1 2 b 0.2 3 c 0.3 4 d 0.15 5 e 0.25",
                               "1 2 3 4 6 a 0.4 5 b 0.3 4 c 0.2 3 d 0.1", "4 5 6 1 2 a 1", "7 8 9 0"};
    text.meshes[0].triangles = {"0 1 2", "1 2 3"};
    text.header = "85 7 1";
    text.bones = {boneEntry(1), boneEntry(1), boneEntry(1), boneEntry(1), boneEntry(1), boneEntry(1), boneEntry(0)};
    ASSERT_TRUE(load(text.text()));
    // One warning, for the vertex with five influences; the next vertex starts after the fifth's three tokens.
    ASSERT_EQ(recording.messages.size(), 1u);
    EXPECT_EQ(recording.messages[0].title + ": " + recording.messages[0].text, "Warning: Max. Bones per Vertex exceeded");
    const SkinnedMesh& mesh = model.meshes[0];
    EXPECT_EQ(mesh.boneIndices, (std::vector<int>{1, 2, 3, 4, 6, 5, 4, 3, 2, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(mesh.weights, (std::vector<float>{0.1f, 0.2f, 0.3f, 0.15f, 0.4f, 0.3f, 0.2f, 0.1f, 1, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(mesh.positions, (std::vector<float>{0, 0, 0, 1, 1, 2, 3, 1, 4, 5, 6, 1, 7, 8, 9, 1}));
    EXPECT_EQ(mesh.indices, (std::vector<int>{0, 1, 2, 1, 2, 3}));
}

TEST_F(ModelReaderTest, BonesAreNumberedDepthFirstWithRotationsReadWFirst) {
    ModelText text = singleTriangleModel();
    text.materials = {"first 0.1 0.2 0.3 0.4 0.5", "second 1 2 3 4 5"};
    text.meshes[0].material = 1;
    text.meshes[0].normals = {"0 2 0"};
    text.header = "90 5 2";
    // Root (two children: the first with one child), then a second root with none; pivot x is the number.
    text.bones.clear();
    for (const int children : {2, 1, 0, 0, 0}) {
        const bool second = text.bones.size() == 1;
        text.bones.push_back(boneEntry(children, std::to_string(text.bones.size()) + " 0 0",
                                       second ? "0.5 0.1 0.2 0.3 4 5 6" : "1 0 0 0 0 0 0", second ? "2 0 0 0" : "1 0 0 0", 90));
    }
    ASSERT_TRUE(load(text.text())) << recording.messages[0].text;
    ASSERT_EQ(model.boneCount(), 5);
    EXPECT_EQ(model.rootCount, 2);
    EXPECT_EQ(model.frameCount, 90);
    for (int bone = 0; bone < 5; ++bone) {
        EXPECT_EQ(model.bones[bone].pivot.x, static_cast<float>(bone));
        EXPECT_EQ(model.bones[bone].keyframes.size(), 90u);
    }
    EXPECT_EQ(model.bones[0].rotation.w, 1.0f) << "the file's 1 0 0 0 is the identity: w comes first";
    const BoneKeyframe& key = model.bones[1].keyframes[89];
    EXPECT_EQ(std::vector<float>({key.rotation.w, key.rotation.x, key.rotation.y, key.rotation.z, key.translation.z}),
              (std::vector<float>{0.5f, 0.1f, 0.2f, 0.3f, 6.0f}));
    EXPECT_FLOAT_EQ(key.inverseRotation.x, -0.1f / 0.39f);
    EXPECT_FLOAT_EQ(key.inverseRotation.w, 0.5f / 0.39f);
    EXPECT_FLOAT_EQ(model.bones[1].inverseRotation.w, 0.5f) << "a rest rotation of length 2: conjugate / 4";
    // Materials, the mesh's material and its normals (not normalised) as read.
    EXPECT_FLOAT_EQ(model.materials[0].secondAlpha, 0.5f);
    EXPECT_FLOAT_EQ(model.materials[1].red, 1.0f);
    EXPECT_EQ(model.meshes[0].materialIndex, 1);
    EXPECT_EQ(model.meshes[0].normals[1], 2.0f);
}

TEST_F(ModelReaderTest, MissingFileLeavesAnEmptyModelAndALaterLoadBuildsAfresh) {
    ScratchDirectory scratch;
    ModelText text = singleTriangleModel();
    text.meshes.push_back(text.meshes[0]);
    ASSERT_TRUE(load(text.text()));
    model.load("animation2.txt");
    ASSERT_EQ(recording.messages.size(), 1u);
    EXPECT_EQ(recording.messages[0].title + ": " + recording.messages[0].text, "Error: Cant find .mdq!");
    expectEmpty();
    model.update(41.0f);
    EXPECT_EQ(model.currentFrame, 2);
    // Present, it loads afresh: the clip playing stays, the frame and the gathered time start again.
    text = singleTriangleModel();
    text.meshes[0].vertices[0] = "9 9 9 1 0 root 1";
    scratch.writeFile("animation2.txt", text.text());
    model.currentClip = 2;
    model.elapsedSinceStep = 30.0f;
    model.load("animation2.txt");
    EXPECT_EQ(recording.messages.size(), 1u);
    ASSERT_EQ(model.meshCount(), 1);
    EXPECT_EQ(model.meshes[0].positions[0], 9.0f);
    EXPECT_EQ(std::make_tuple(model.currentClip, model.currentFrame, model.elapsedSinceStep), std::make_tuple(2, 0, 0.0f));
}

TEST_F(ModelReaderTest, MalformedFilesAreRefusedWithOneMessageAndAnEmptyModel) {
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
        {[](ModelText& t) { t.meshes[0].material = 1; }, "material index at token 9 (line 4) is 1, but there are 1 materials"},
        {[](ModelText& t) { t.meshes[0].triangles = {"0 1 3"}; }, "vertex index"},
        {[](ModelText& t) { t.meshes[0].vertices[2] = "0 1 0 2 0 root 0.5 1 other 0.5"; }, "vertex 2 names bone 1"},
        {[](ModelText& t) { t.header = "84 1 1", t.bones = {boneEntry(0, "0 0 0", "1 0 0 0 0 0 0", "1 0 0 0", 84)}; },
         "needs 85 keyframes"},
        {[](ModelText& t) { t.bones = {boneEntry(0, "0 0 0", "0 0 0 0 1 2 3")}; }, "has no inverse"},
        {[](ModelText& t) { t.header = "85 1 2", t.bones.push_back(boneEntry(0)); }, "more bones than the bone count of 1"},
        {[](ModelText& t) { t.header = "85 2 1", t.bones.push_back(boneEntry(0)); }, "hold 1 bones, but the bone count is 2"},
    };
    for (const auto& [edit, problem] : edits) {
        ModelText text = singleTriangleModel();
        edit(text);
        cases.push_back({text.text(), problem});
    }
    for (const auto& [text, problem] : cases) {
        SCOPED_TRACE(problem);
        recording.messages.clear();
        ASSERT_TRUE(load(good));
        EXPECT_FALSE(load(text));
        ASSERT_EQ(recording.messages.size(), 1u);
        EXPECT_EQ(recording.messages[0].title, "Error");
        EXPECT_NE(recording.messages[0].text.find("hero.txt"), std::string::npos) << recording.messages[0].text;
        EXPECT_NE(recording.messages[0].text.find(problem), std::string::npos) << recording.messages[0].text;
        expectEmpty();
        model.update(41.0f);  // the empty model still animates its clip state
    }
}

}  // namespace
