// The character as glTF: the same meshes, one joint per bone, the clips as stepped animations, the same skinning.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "character/animation.h"
#include "character/model_text.h"
#include "character/skinned_model.h"
#include "support/recording_platform.h"
#include "support/scratch_directory.h"
#include "tools/character_generator/character_generator.h"
#include "tools/gltf_skin_evaluation.h"

namespace {

constexpr double kSecondsPerKey = 0.04;
constexpr double kSkinningTolerance = 1e-4;

// The keyframes a clip shows, in order.
std::vector<int> shownFrames(const AnimationClip& clip) {
    std::vector<int> frames;
    for (int frame = clip.firstFrame; frame < clip.endFrame; frame += clip.framesPerStep) frames.push_back(frame);
    return frames;
}

bool loadGltf(const std::string& path, tinygltf::Model& gltf, std::string& problems) {
    tinygltf::TinyGLTF reader;
    std::string warnings;
    const bool loaded = reader.LoadBinaryFromFile(&gltf, &problems, &warnings, path);
    problems += warnings;
    return loaded;
}

// The largest distance of a glTF-skinned vertex from the player's, over one mesh.
double largestDifference(const SkinnedMesh& mesh, const std::vector<Point>& skinned) {
    double largest = skinned.size() == static_cast<std::size_t>(mesh.vertexCount) ? 0.0 : INFINITY;
    for (std::size_t v = 0; v < skinned.size() && v < static_cast<std::size_t>(mesh.vertexCount); ++v) {
        for (int c = 0; c < 3; ++c) {
            largest = std::max(largest, std::abs(skinned[v][c] - mesh.skinnedPositions[v * 4 + c]));
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
        gltfLoaded_ = loadGltf(LUMIVOR_RUN_DIR "/mannequin.glb", gltf_, gltfProblems_);
    }
    void SetUp() override {
        ASSERT_TRUE(characterLoaded_) << "animation2.txt: build the run_directory target";
        ASSERT_TRUE(gltfLoaded_) << "mannequin.glb: " << gltfProblems_;
    }

    static SkinnedModel model_;
    static tinygltf::Model gltf_;
    static bool characterLoaded_, gltfLoaded_;
    static std::string gltfProblems_;
};

SkinnedModel MannequinGltfTest::model_;
tinygltf::Model MannequinGltfTest::gltf_;
bool MannequinGltfTest::characterLoaded_ = false;
bool MannequinGltfTest::gltfLoaded_ = false;
std::string MannequinGltfTest::gltfProblems_;

TEST_F(MannequinGltfTest, MeshesKeepTheCharacterFilesVerticesIndicesAndColours) {
    ASSERT_EQ(gltf_.meshes.size(), static_cast<std::size_t>(model_.meshCount()));
    for (int m = 0; m < model_.meshCount(); ++m) {
        const SkinnedMesh& mesh = model_.meshes[m];
        ASSERT_EQ(gltf_.meshes[m].primitives.size(), 1u) << "mesh " << m;
        const tinygltf::Primitive& primitive = gltf_.meshes[m].primitives[0];
        const std::vector<double> positions = accessorValues(gltf_, primitive.attributes.at("POSITION"));
        ASSERT_EQ(positions.size(), static_cast<std::size_t>(mesh.vertexCount) * 3) << "mesh " << m;
        for (int v = 0; v < mesh.vertexCount; ++v) {
            for (int c = 0; c < 3; ++c) {
                ASSERT_EQ(positions[v * 3 + c], mesh.positions[v * 4 + c]) << "mesh " << m << ", vertex " << v;
            }
        }
        const std::vector<double> indices = accessorValues(gltf_, primitive.indices);
        ASSERT_EQ(indices.size(), static_cast<std::size_t>(mesh.triangleCount) * 3) << "mesh " << m;
        for (std::size_t i = 0; i < indices.size(); ++i) {
            ASSERT_EQ(indices[i], mesh.indices[i]) << "mesh " << m << ", index " << i;
        }
        const Material& colour = model_.materials[mesh.materialIndex];
        const std::vector<double>& base = gltf_.materials.at(primitive.material).pbrMetallicRoughness.baseColorFactor;
        EXPECT_FLOAT_EQ(static_cast<float>(base[0]), colour.red) << "mesh " << m;
        EXPECT_FLOAT_EQ(static_cast<float>(base[1]), colour.green) << "mesh " << m;
        EXPECT_FLOAT_EQ(static_cast<float>(base[2]), colour.blue) << "mesh " << m;
    }
}

TEST_F(MannequinGltfTest, OneJointPerBoneAndOneSteppedAnimationPerClipInClipOrder) {
    ASSERT_EQ(gltf_.skins.size(), 1u);
    EXPECT_EQ(gltf_.skins[0].joints.size(), static_cast<std::size_t>(model_.boneCount()));
    ASSERT_EQ(gltf_.animations.size(), static_cast<std::size_t>(kAnimationClipCount));
    for (int c = 0; c < kAnimationClipCount; ++c) {
        const std::size_t shown = shownFrames(kAnimationClips[c]).size();
        const std::vector<double> times = keyTimes(gltf_, c);
        // A closing key repeats the last keyframe, so a viewer that loops
        // over the animation's duration shows every keyframe for one step.
        ASSERT_EQ(times.size(), shown + 1) << "clip " << c;
        EXPECT_NEAR(times.back(), shown * kSecondsPerKey, 1e-6) << "clip " << c;
        for (const tinygltf::AnimationSampler& sampler : gltf_.animations[c].samplers) {
            EXPECT_EQ(sampler.interpolation, "STEP") << "clip " << c;
        }
    }
}

TEST_F(MannequinGltfTest, FirstAnimationSkinsLikeThePlayerAtEveryKey) {
    const std::vector<int> frames = shownFrames(kAnimationClips[0]);
    const std::vector<double> times = keyTimes(gltf_, 0);
    for (std::size_t key = 0; key < times.size(); ++key) {
        model_.currentFrame = frames[std::min(key, frames.size() - 1)];
        model_.skinCurrentFrame();
        for (int m = 0; m < model_.meshCount(); ++m) {
            const std::vector<Point> skinned = skinnedPositions(gltf_, gltf_.meshes[m].primitives[0], 0, 0, times[key]);
            EXPECT_LT(largestDifference(model_.meshes[m], skinned), kSkinningTolerance)
                << "key " << key << " (frame " << model_.currentFrame << "), mesh " << m;
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
    tinygltf::Model gltf;
    std::string problems;
    ASSERT_TRUE(loadGltf(scratch.file("two-bones.glb"), gltf, problems)) << problems;
    const tinygltf::Primitive& primitive = gltf.meshes.at(0).primitives.at(0);

    model.currentFrame = 0;
    model.skinCurrentFrame();
    EXPECT_LT(largestDifference(model.meshes[0], skinnedPositions(gltf, primitive, 0, 0, 0.0)), 1e-5)
        << "the first key";
    // Without animation the joints hold the bind pose, drawn at half size.
    const std::vector<Point> rest = skinnedPositions(gltf, primitive, 0, -1, 0.0);
    ASSERT_EQ(rest.size(), 3u);
    for (int v = 0; v < 3; ++v) {
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(rest[v][c], 0.5 * model.meshes[0].positions[v * 4 + c], 1e-5) << v;
    }
    // glTF's rules for influences: weights summing to one, a joint at most
    // once among the weighted slots, joint 0 in every unweighted slot.
    const std::vector<double> joints = accessorValues(gltf, primitive.attributes.at("JOINTS_0"));
    const std::vector<double> weights = accessorValues(gltf, primitive.attributes.at("WEIGHTS_0"));
    ASSERT_EQ(weights.size(), 12u);
    for (int v = 0; v < 3; ++v) {
        EXPECT_NEAR(weights[v * 4] + weights[v * 4 + 1] + weights[v * 4 + 2] + weights[v * 4 + 3], 1.0, 1e-7) << v;
        for (int slot = v * 4; slot < v * 4 + 4; ++slot) {
            if (weights[slot] == 0.0) {
                EXPECT_EQ(joints[slot], 0.0) << "vertex " << v << ", slot " << slot % 4;
            }
            for (int other = v * 4; other < slot; ++other) {
                if (weights[slot] > 0.0 && weights[other] > 0.0) {
                    EXPECT_NE(joints[slot], joints[other]) << "vertex " << v;
                }
            }
        }
    }
}

}  // namespace
