// Character file reader: influences, bone numbering, quaternion order, missing and malformed files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "character/model_text.h"
#include "character/skinned_model.h"
#include "support/recording_platform.h"
#include "support/scratch_directory.h"

namespace {

class ModelReaderTest : public ::testing::Test {
protected:
    bool load(const std::string& text) { return model.loadFromText(text.data(), text.size(), "hero.txt"); }

    RecordingPlatform recording;
    ScopedPlatformServices fake{recording};
    SkinnedModel model;
};

void expectSlots(const SkinnedMesh& mesh, int vertex, const std::vector<int>& bones, const std::vector<float>& weights) {
    for (int slot = 0; slot < kInfluencesPerVertex; ++slot) {
        EXPECT_EQ(mesh.boneIndices[vertex * 4 + slot], bones[slot]) << "vertex " << vertex << " slot " << slot;
        EXPECT_FLOAT_EQ(mesh.weights[vertex * 4 + slot], weights[slot]) << "vertex " << vertex << " slot " << slot;
    }
}

TEST_F(ModelReaderTest, InfluencesFillFourSlotsAndAFifthIsWarnedAboutAndConsumed) {
    ModelText text = singleTriangleModel();
    text.meshes[0].vertices = {
        "0 0 0 5 1 a 0.1 2 b 0.2 3 c 0.3 4 d 0.15 5 e 0.25",
        "1 2 3 4 6 a 0.4 5 b 0.3 4 c 0.2 3 d 0.1",
        "4 5 6 1 2 a 1",
        "7 8 9 0",
    };
    text.meshes[0].triangles = {"0 1 2", "1 2 3"};
    text.header = "85 7 1";
    text.bones = {boneEntry(1), boneEntry(1), boneEntry(1), boneEntry(1), boneEntry(1), boneEntry(1), boneEntry(0)};
    ASSERT_TRUE(load(text.text()));

    // One warning, for the vertex with five influences; four influences are fine.
    ASSERT_EQ(recording.messages.size(), 1u);
    EXPECT_EQ(recording.messages[0].title, "Warning");
    EXPECT_EQ(recording.messages[0].text, "Max. Bones per Vertex exceeded");
    const SkinnedMesh& mesh = model.meshes[0];
    ASSERT_EQ(mesh.vertexCount, 4);
    expectSlots(mesh, 0, {1, 2, 3, 4}, {0.1f, 0.2f, 0.3f, 0.15f});
    // The next vertex starts right after the fifth influence's three tokens.
    EXPECT_FLOAT_EQ(mesh.positions[4], 1.0f);
    EXPECT_FLOAT_EQ(mesh.positions[6], 3.0f);
    expectSlots(mesh, 1, {6, 5, 4, 3}, {0.4f, 0.3f, 0.2f, 0.1f});
    expectSlots(mesh, 2, {2, 0, 0, 0}, {1.0f, 0.0f, 0.0f, 0.0f});
    expectSlots(mesh, 3, {0, 0, 0, 0}, {0.0f, 0.0f, 0.0f, 0.0f});
    for (int vertex = 0; vertex < 4; ++vertex) {
        EXPECT_EQ(mesh.positions[vertex * 4 + 3], 1.0f);
    }
    EXPECT_EQ(mesh.indices, (std::vector<int>{0, 1, 2, 1, 2, 3}));
}

TEST_F(ModelReaderTest, BonesAreNumberedDepthFirstWithRotationsReadWFirst) {
    ModelText text = singleTriangleModel();
    text.materials = {"first 0.1 0.2 0.3 0.4 0.5", "second 1 2 3 4 5"};
    text.meshes[0].material = 1;
    text.meshes[0].normals = {"0 2 0"};
    text.header = "90 6 2";
    // Root (two children: the first with one child), then a second root with none.
    text.bones = {
        boneEntry(2, "0 0 0", "1 0 0 0 0 0 0", "1 0 0 0", 90),
        boneEntry(1, "1 0 0", "0.5 0.1 0.2 0.3 4 5 6", "2 0 0 0", 90),
        boneEntry(0, "2 0 0", "1 0 0 0 0 0 0", "1 0 0 0", 90),
        boneEntry(0, "3 0 0", "1 0 0 0 0 0 0", "1 0 0 0", 90),
        boneEntry(0, "4 0 0", "1 0 0 0 0 0 0", "1 0 0 0", 90),
    };
    text.bones.push_back(boneEntry(0, "5 0 0", "1 0 0 0 0 0 0", "1 0 0 0", 90));
    ASSERT_FALSE(load(text.text())) << "the first tree holds 4 bones, the second 1, so 5 != 6";
    text.header = "90 5 2";
    text.bones.pop_back();
    recording.messages.clear();
    ASSERT_TRUE(load(text.text())) << recording.messages[0].text;
    ASSERT_EQ(model.boneCount(), 5);
    EXPECT_EQ(model.rootCount, 2);
    EXPECT_EQ(model.frameCount, 90);
    for (int bone = 0; bone < 5; ++bone) {
        EXPECT_FLOAT_EQ(model.bones[bone].pivot.x, static_cast<float>(bone)) << "bone " << bone;
        EXPECT_EQ(model.bones[bone].keyframes.size(), 90u);
    }
    // The file's "1 0 0 0" is the identity: w comes first.
    const Quaternion& identity = model.bones[0].rotation;
    EXPECT_EQ(identity.w, 1.0f);
    EXPECT_EQ(identity.x, 0.0f);
    const BoneKeyframe& key = model.bones[1].keyframes[89];
    EXPECT_FLOAT_EQ(key.rotation.x, 0.1f);
    EXPECT_FLOAT_EQ(key.rotation.y, 0.2f);
    EXPECT_FLOAT_EQ(key.rotation.z, 0.3f);
    EXPECT_FLOAT_EQ(key.rotation.w, 0.5f);
    EXPECT_FLOAT_EQ(key.inverseRotation.x, -0.1f / 0.39f);
    EXPECT_FLOAT_EQ(key.inverseRotation.w, 0.5f / 0.39f);
    EXPECT_FLOAT_EQ(key.translation.z, 6.0f);
    // A rest rotation of length 2 is stored with its inverse (conjugate / 4).
    EXPECT_FLOAT_EQ(model.bones[1].inverseRotation.w, 0.5f);
    // Materials, the mesh's material and its normals (not normalised) as read.
    EXPECT_FLOAT_EQ(model.materials[0].secondAlpha, 0.5f);
    EXPECT_FLOAT_EQ(model.materials[1].red, 1.0f);
    EXPECT_EQ(model.meshes[0].materialIndex, 1);
    EXPECT_EQ(model.meshes[0].normals[1], 2.0f);
}

TEST_F(ModelReaderTest, MissingFileLeavesAnEmptyModelAndALaterLoadBuildsAfresh) {
    ScratchDirectory scratch;
    ModelText twoMeshes = singleTriangleModel();
    twoMeshes.meshes.push_back(twoMeshes.meshes[0]);
    ASSERT_TRUE(load(twoMeshes.text()));
    model.load("animation2.txt");
    ASSERT_EQ(recording.messages.size(), 1u);
    EXPECT_EQ(recording.messages[0].title, "Error");
    EXPECT_EQ(recording.messages[0].text, "Cant find .mdq!");
    EXPECT_EQ(model.meshCount(), 0);
    EXPECT_EQ(model.boneCount(), 0);
    EXPECT_EQ(model.materialCount(), 0);
    model.update(41.0f);
    EXPECT_EQ(model.currentFrame, 2);

    // Present, the file loads afresh into the same model: the clip playing
    // stays, the frame and the gathered time start again.
    ModelText other = singleTriangleModel();
    other.meshes[0].vertices[0] = "9 9 9 1 0 root 1";
    scratch.writeFile("animation2.txt", other.text());
    model.currentClip = 2;
    model.elapsedSinceStep = 30.0f;
    model.load("animation2.txt");
    EXPECT_EQ(recording.messages.size(), 1u);
    ASSERT_EQ(model.meshCount(), 1);
    EXPECT_EQ(model.meshes[0].positions[0], 9.0f);
    EXPECT_EQ(model.currentClip, 2);
    EXPECT_EQ(model.currentFrame, 0);
    EXPECT_EQ(model.elapsedSinceStep, 0.0f);
}

struct MalformedCase {
    const char* name;
    std::string text;
    const char* problem;  // part of the message
};

std::vector<MalformedCase> malformedCases() {
    std::vector<MalformedCase> cases;
    const std::string good = singleTriangleModel().text();
    cases.push_back({"truncated in the normals", good.substr(0, good.find("7.5\n") + 10), "the file ends where a normal"});
    cases.push_back({"word for a count", "1\nm 1 1 1 1 1\nmany", "expected the mesh count (an integer) at token 8"});
    cases.push_back({"hexadecimal real", "1\nm 0x1p3 1 1 1 1\n0\n85 0 0\n", "a material's red"});
    cases.push_back({"count beyond 32 bits", "99999999999", "out of range"});
    // Bytes of another file type are quoted as text a message box can show.
    cases.push_back({"binary bytes", std::string("\x89PNG\r\n\x1a\n\0\x7f", 10),
                     "found \"\\x89PNG\""});

    ModelText text = singleTriangleModel();
    text.meshes[0].vertexCount = "-2";
    cases.push_back({"negative vertex count", text.text(), "the vertex count at token 10 (line 4) is negative"});
    text = singleTriangleModel();
    text.meshes[0].triangleCount = "2000000000";
    cases.push_back({"absurd triangle count", text.text(), "more than the rest of the file can hold"});
    text = singleTriangleModel();
    text.meshes[0].material = 1;
    cases.push_back({"material index out of range", text.text(), "material index at token 9 (line 4) is 1, but there are 1 materials"});
    text = singleTriangleModel();
    text.meshes[0].triangles = {"0 1 3"};
    cases.push_back({"vertex index out of range", text.text(), "vertex index"});
    text = singleTriangleModel();
    text.meshes[0].vertices[2] = "0 1 0 2 0 root 0.5 1 other 0.5";
    cases.push_back({"bone number out of range", text.text(), "vertex 2 names bone 1"});
    text = singleTriangleModel();
    text.header = "84 1 1";
    text.bones = {boneEntry(0, "0 0 0", "1 0 0 0 0 0 0", "1 0 0 0", 84)};
    cases.push_back({"fewer than 85 keyframes", text.text(), "needs 85 keyframes"});
    text = singleTriangleModel();
    text.bones = {boneEntry(0, "0 0 0", "0 0 0 0 1 2 3")};
    cases.push_back({"all-zero keyframe rotation", text.text(), "has no inverse"});
    text = singleTriangleModel();
    text.header = "85 1 2";
    text.bones.push_back(boneEntry(0));
    cases.push_back({"more bones in the trees than counted", text.text(), "more bones than the bone count of 1"});
    text = singleTriangleModel();
    text.header = "85 2 1";
    text.bones.push_back(boneEntry(0));  // a second top-level tree the header does not count
    cases.push_back({"fewer bones in the trees than counted", text.text(), "hold 1 bones, but the bone count is 2"});
    return cases;
}

TEST_F(ModelReaderTest, MalformedFilesAreRefusedWithOneMessageAndAnEmptyModel) {
    for (const MalformedCase& malformed : malformedCases()) {
        SCOPED_TRACE(malformed.name);
        recording.messages.clear();
        ASSERT_TRUE(load(singleTriangleModel().text()));
        EXPECT_FALSE(load(malformed.text));
        ASSERT_EQ(recording.messages.size(), 1u);
        EXPECT_EQ(recording.messages[0].title, "Error");
        const std::string& message = recording.messages[0].text;
        EXPECT_NE(message.find("hero.txt"), std::string::npos) << message;
        EXPECT_NE(message.find(malformed.problem), std::string::npos) << message;
        EXPECT_EQ(model.meshCount(), 0);
        EXPECT_EQ(model.boneCount(), 0);
        EXPECT_EQ(model.materialCount(), 0);
        // The empty model still animates its clip state and draws nothing.
        model.update(41.0f);
    }
}

}  // namespace
