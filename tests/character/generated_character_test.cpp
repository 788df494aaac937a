// The generated character file: loads cleanly, has the promised shape, and its loops close seamlessly.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <vector>

#include "character/skinned_model.h"
#include "support/recording_platform.h"

namespace {

const char* const kCharacterFile = LUMIVOR_RUN_DIR "/animation2.txt";

class GeneratedCharacterTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::ifstream(kCharacterFile)) GTEST_SKIP() << "no animation2.txt: build the run_directory target";
        model.load(kCharacterFile);
        ASSERT_TRUE(recording.messages.empty()) << recording.messages[0].text;
    }
    // All skinned positions of a frame, mesh after mesh.
    std::vector<Vector3> pose(int frame) {
        model.currentFrame = frame;
        model.skinCurrentFrame();
        std::vector<Vector3> points;
        for (const SkinnedMesh& mesh : model.meshes) {
            const std::vector<float>& p = mesh.skinnedPositions;
            for (int v = 0; v < mesh.vertexCount; ++v) points.emplace_back(p[v * 4], p[v * 4 + 1], p[v * 4 + 2]);
        }
        return points;
    }
    // The largest distance any vertex moves from one frame to the other.
    float largestMove(int from, int to) {
        const std::vector<Vector3> a = pose(from), b = pose(to);
        float largest = 0.0f;
        for (std::size_t i = 0; i < a.size(); ++i) largest = std::max(largest, length(b[i] - a[i]));
        return largest;
    }

    RecordingPlatform recording;
    ScopedPlatformServices fake{recording};
    SkinnedModel model;
};

TEST_F(GeneratedCharacterTest, IsARiggedFigureStandingOnTheGround) {
    EXPECT_GE(model.boneCount(), 12);
    EXPECT_GE(model.materialCount(), 2);
    int triangles = 0;
    for (const SkinnedMesh& mesh : model.meshes) {
        triangles += mesh.triangleCount;
        for (int v = 0; v < mesh.vertexCount; ++v) {
            const float *w = &mesh.weights[v * 4], *n = &mesh.normals[v * 3];
            ASSERT_NEAR(w[0] + w[1] + w[2] + w[3], 1.0f, 1e-4f) << "vertex " << v;
            ASSERT_NEAR(std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]), 1.0f, 1e-3f) << "vertex " << v;
        }
    }
    EXPECT_GE(triangles, 3000);
    EXPECT_LE(triangles, 6000);  // drawn 68 times a frame: the shadow maps' budget
    // Frame 0 after the half scale: feet on y = 0, about 1.8 tall, centred; no frame sinks through the ground.
    const std::vector<Vector3> points = pose(0);
    float low = 1e9f, high = -1e9f, sumX = 0.0f;
    for (const Vector3& p : points) low = std::min(low, p.y), high = std::max(high, p.y), sumX += p.x;
    EXPECT_NEAR(low, 0.0f, 0.01f);
    EXPECT_NEAR(high, 1.8f, 0.05f);
    EXPECT_NEAR(sumX / points.size(), 0.0f, 0.02f);
    for (int frame = 0; frame < model.frameCount; ++frame) {
        for (const Vector3& p : pose(frame)) ASSERT_GT(p.y, -0.02f) << "frame " << frame;
    }
}

TEST_F(GeneratedCharacterTest, LoopsCloseAndTransitionsMoveNoMoreThanASteadyStep) {
    float idleStep = 0.0f, actionStep = 0.0f;  // the largest move between shown frames inside each loop
    for (int frame = 0; frame + 2 < 30; frame += 2) idleStep = std::max(idleStep, largestMove(frame, frame + 2));
    for (int frame = 50; frame < 79; ++frame) actionStep = std::max(actionStep, largestMove(frame, frame + 1));
    EXPECT_TRUE(idleStep > 0.001f && actionStep > 0.01f) << "both loops move";
    EXPECT_LE(largestMove(28, 0), 1.2f * idleStep) << "idle loop seam";
    EXPECT_LE(largestMove(79, 50), 1.2f * actionStep) << "action loop seam";
    EXPECT_LE(largestMove(28, 30), 2.0f * idleStep) << "into the transition";
    EXPECT_LE(largestMove(49, 50), actionStep) << "into the action loop";
    // The return clip swings the raised arm (0.72 long) down: no step jumps by more than about two thirds of it.
    for (int frame = 79; frame < 85; ++frame) EXPECT_LE(largestMove(frame, frame < 84 ? frame + 1 : 0), 0.5f) << frame;
}

}  // namespace
