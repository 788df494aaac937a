// The character as glTF, read and skinned by the program's model loader (whose own tests pin it to glTF's rules):
// the same meshes, one joint per bone, the clips as stepped animations, the same skinning.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "character/animation.h"
#include "character/model_text.h"
#include "character/skinned_model.h"
#include "model/accessor_reader.h"
#include "model/model_animator.h"
#include "model/model_file.h"
#include "support/recording_platform.h"
#include "support/scratch_directory.h"
#include "tools/character_generator/character_generator.h"

namespace {

constexpr float kSecondsPerKey = 0.04f;
constexpr float kSkinningTolerance = 1e-4f;

// The keyframes a clip shows, in order.
std::vector<int> shownFrames(const AnimationClip& clip) {
    std::vector<int> frames;
    for (int frame = clip.firstFrame; frame < clip.endFrame; frame += clip.framesPerStep) frames.push_back(frame);
    return frames;
}

// The largest distance of the part's vertices, skinned by the glTF file (positions of the whole model, 3 per
// vertex), from the player's skinned mesh.
float largestDifference(const PreparedModel& model, const ModelPart& part, const std::vector<float>& skinned,
                        const SkinnedMesh& mesh) {
    if (model.data.meshes[part.mesh].primitives[part.primitive].vertexCount() != mesh.vertexCount) return INFINITY;
    float largest = 0.0f;
    for (int v = 0; v < mesh.vertexCount; ++v) {
        for (int c = 0; c < 3; ++c) {
            const float gltf = skinned[(part.firstVertex + v) * 3 + c];
            largest = std::max(largest, std::abs(gltf - mesh.skinnedPositions[v * 4 + c]));
        }
    }
    return largest;
}

class MannequinGltfTest : public ::testing::Test {
protected:
    // The generated files, read once for every test.
    static void SetUpTestSuite() {
        RecordingPlatform recording;
        ScopedPlatformServices fake{recording};
        const std::string text = readWholeFile(LUMIVOR_RUN_DIR "/animation2.txt");
        characterLoaded_ = model_.loadFromText(text.data(), text.size(), "animation2.txt");
        LoadedModel loaded = loadModelFile(LUMIVOR_RUN_DIR "/mannequin.glb", {});
        gltfProblem_ = loaded.cause;
        if (loaded.model) gltf_ = std::move(*loaded.model);
    }
    void SetUp() override {
        ASSERT_TRUE(characterLoaded_) << "animation2.txt: build the run_directory target";
        ASSERT_TRUE(gltfProblem_.empty()) << gltfProblem_;
    }

    static SkinnedModel model_;
    static PreparedModel gltf_;  // as the program loads and prepares a user's model
    static bool characterLoaded_;
    static std::string gltfProblem_;
};

SkinnedModel MannequinGltfTest::model_;
PreparedModel MannequinGltfTest::gltf_;
bool MannequinGltfTest::characterLoaded_ = false;
std::string MannequinGltfTest::gltfProblem_;

TEST_F(MannequinGltfTest, MeshesKeepTheCharacterFilesIndicesAndColours) {
    const ModelData& data = gltf_.data;
    ASSERT_EQ(data.meshes.size(), static_cast<std::size_t>(model_.meshCount()));
    for (int m = 0; m < model_.meshCount(); ++m) {
        const SkinnedMesh& mesh = model_.meshes[m];
        ASSERT_EQ(data.meshes[m].primitives.size(), 1u) << "mesh " << m;
        const ModelPrimitive& primitive = data.meshes[m].primitives[0];
        // The positions show in the skinning test, which compares every vertex at every key.
        ASSERT_EQ(primitive.vertexCount(), mesh.vertexCount) << "mesh " << m;
        ASSERT_EQ(primitive.indices.size(), static_cast<std::size_t>(mesh.triangleCount) * 3) << "mesh " << m;
        for (std::size_t i = 0; i < primitive.indices.size(); ++i) {
            ASSERT_EQ(primitive.indices[i], static_cast<std::uint32_t>(mesh.indices[i])) << "mesh " << m << ", " << i;
        }
        const Material& colour = model_.materials[mesh.materialIndex];
        const std::array<float, 4>& base = data.materials.at(primitive.material).baseColourFactor;
        EXPECT_FLOAT_EQ(base[0], colour.red) << "mesh " << m;
        EXPECT_FLOAT_EQ(base[1], colour.green) << "mesh " << m;
        EXPECT_FLOAT_EQ(base[2], colour.blue) << "mesh " << m;
    }
}

TEST_F(MannequinGltfTest, OneJointPerBoneAndOneSteppedAnimationPerClipInClipOrder) {
    const ModelData& data = gltf_.data;
    ASSERT_EQ(data.skins.size(), 1u);
    EXPECT_EQ(data.skins[0].joints.size(), static_cast<std::size_t>(model_.boneCount()));
    ASSERT_EQ(data.animations.size(), static_cast<std::size_t>(kAnimationClipCount));
    for (int c = 0; c < kAnimationClipCount; ++c) {
        const std::size_t shown = shownFrames(kAnimationClips[c]).size();
        const std::vector<float>& times = data.animations[c].channels.at(0).times;
        // A closing key repeats the last keyframe, so a viewer that loops
        // over the animation's duration shows every keyframe for one step.
        ASSERT_EQ(times.size(), shown + 1) << "clip " << c;
        EXPECT_NEAR(times.back(), shown * kSecondsPerKey, 1e-6f) << "clip " << c;
        for (const ModelChannel& channel : data.animations[c].channels) {
            EXPECT_EQ(channel.interpolation, Interpolation::Step) << "clip " << c;
        }
    }
}

TEST_F(MannequinGltfTest, FirstAnimationSkinsLikeThePlayerAtEveryKey) {
    const std::vector<int> frames = shownFrames(kAnimationClips[0]);
    const std::vector<float>& times = gltf_.data.animations.at(0).channels.at(0).times;
    ASSERT_EQ(gltf_.parts.size(), static_cast<std::size_t>(model_.meshCount()));
    for (std::size_t key = 0; key < times.size(); ++key) {
        model_.currentFrame = frames[std::min(key, frames.size() - 1)];
        model_.skinCurrentFrame();
        const std::vector<float> skinned = skinnedPositionsAt(gltf_, 0, times[key]);
        for (const ModelPart& part : gltf_.parts) {
            EXPECT_LT(largestDifference(gltf_, part, skinned, model_.meshes[part.mesh]), kSkinningTolerance)
                << "key " << key << " (frame " << model_.currentFrame << "), mesh " << part.mesh;
        }
    }
}

// What the generated character never has: rest rotations, rotations that
// are not unit length, a bone named twice in one vertex, a zero weight.
TEST(MannequinGltfWriterTest, RestRotationsLongQuaternionsAndSharedInfluencesSkinAsThePlayerDoes) {
    ModelText text;
    text.meshes.push_back({0,
                           {"1 2 3 2 0 root 0.25 1 child 0.75", "0.5 1 -1 3 1 child 0.25 1 child 0.25 0 root 0.5",
                            "-1 0 2 2 1 child 0 0 root 1"},
                           {},
                           {"0 1 2"},
                           "",
                           ""});
    text.header = "85 2 1";
    text.bones = {boneEntry(1, "0.5 1 0", "2 0 0.4 0 1 2 3", "0.8 0.6 0 0"),
                  boneEntry(0, "0 2 1", "0.9 0.1 0.2 0.3 -1 0 0.5", "1 1 1 1")};
    RecordingPlatform recording;
    ScopedPlatformServices fake{recording};
    SkinnedModel model;
    const std::string characterText = text.text();
    ASSERT_TRUE(model.loadFromText(characterText.data(), characterText.size(), "two-bones.txt"));
    ScratchDirectory scratch;
    ASSERT_TRUE(character_generator::writeMannequinGltf(scratch.file("two-bones.glb").c_str(), model,
                                                        {{"root", "child"}, {"matte"}}));
    const LoadedModel loaded = loadModelFile(scratch.file("two-bones.glb"), {});
    ASSERT_NE(loaded.model, nullptr) << loaded.cause;
    const PreparedModel& gltf = *loaded.model;
    ASSERT_EQ(gltf.parts.size(), 1u);

    model.currentFrame = 0;
    model.skinCurrentFrame();
    EXPECT_LT(largestDifference(gltf, gltf.parts[0], skinnedPositionsAt(gltf, 0, 0.0f), model.meshes[0]), 1e-5f)
        << "the first key";
    // Without animation the joints hold the bind pose, drawn at half size.
    const std::vector<float> rest = skinnedPositionsAt(gltf, -1, 0.0f);
    ASSERT_EQ(rest.size(), 9u);
    for (int v = 0; v < 3; ++v) {
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(rest[v * 3 + c], 0.5f * model.meshes[0].positions[v * 4 + c], 1e-5f) << v;
    }
    // glTF's rules for influences, in the file as written (the loader would hide them): weights summing to one, a
    // joint at most once among the weighted slots, joint 0 in every unweighted slot.
    tinygltf::Model file;
    std::string problem, warnings;
    ASSERT_TRUE(tinygltf::TinyGLTF().LoadBinaryFromFile(&file, &problem, &warnings, scratch.file("two-bones.glb")))
        << problem;
    LoadBudget budget(std::uint64_t{1} << 20);
    ModelNotes notes;
    const ModelSource source{file, budget, notes};
    const tinygltf::Primitive& primitive = file.meshes.at(0).primitives.at(0);
    const std::vector<std::uint16_t> joints = readJoints(source, primitive.attributes.at("JOINTS_0"), "joints");
    const std::vector<float> weights = readFloats(source, primitive.attributes.at("WEIGHTS_0"), 4, "weights");
    ASSERT_EQ(weights.size(), 12u);
    ASSERT_EQ(joints.size(), 12u);
    for (int v = 0; v < 3; ++v) {
        const double sum = double(weights[v * 4]) + weights[v * 4 + 1] + weights[v * 4 + 2] + weights[v * 4 + 3];
        EXPECT_NEAR(sum, 1.0, 1e-7) << v;
        for (int slot = v * 4; slot < v * 4 + 4; ++slot) {
            if (weights[slot] == 0.0f) {
                EXPECT_EQ(joints[slot], 0) << "vertex " << v << ", slot " << slot % 4;
            }
            for (int other = v * 4; other < slot; ++other) {
                if (weights[slot] > 0.0f && weights[other] > 0.0f) {
                    EXPECT_NE(joints[slot], joints[other]) << "vertex " << v;
                }
            }
        }
    }
}

}  // namespace
