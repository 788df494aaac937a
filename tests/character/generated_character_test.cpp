// The generated character file: a figure on the ground within the shadow pass's triangle budget, loops that close.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <vector>

#include "character/skinned_model.h"
#include "support/recording_platform.h"

namespace {

// All skinned positions of a frame, mesh after mesh.
std::vector<Vector3> pose(SkinnedModel& model, int frame) {
    model.currentFrame = frame;
    model.skinCurrentFrame();
    std::vector<Vector3> points;
    for (const SkinnedMesh& mesh : model.meshes) {
        const float* p = mesh.skinnedPositions.data();
        for (int v = 0; v < mesh.vertexCount; ++v) points.emplace_back(p[v * 4], p[v * 4 + 1], p[v * 4 + 2]);
    }
    return points;
}

// The largest distance any vertex moves from one frame to the other.
float largestMove(SkinnedModel& model, int from, int to) {
    const std::vector<Vector3> a = pose(model, from), b = pose(model, to);
    float largest = 0.0f;
    for (std::size_t i = 0; i < a.size(); ++i) largest = std::max(largest, length(b[i] - a[i]));
    return largest;
}

}  // namespace

TEST(GeneratedCharacterTest, IsAFigureOnTheGroundWithinTheTriangleBudgetWhoseLoopsCloseSmoothly) {
    const char* const file = LUMIVOR_RUN_DIR "/animation2.txt";
    if (!std::ifstream(file)) GTEST_SKIP() << "no animation2.txt: build the run_directory target";
    RecordingPlatform recording;
    ScopedPlatformServices fake{recording};
    SkinnedModel model;
    model.load(file);
    ASSERT_TRUE(recording.messages.empty()) << recording.messages[0].text;
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
    EXPECT_LE(triangles, 6000) << "drawn 68 times a frame";
    // Frame 0 after the half scale: feet on y = 0, about 1.8 tall, centred; no frame sinks through the ground.
    const std::vector<Vector3> rest = pose(model, 0);
    float low = 1e9f, high = -1e9f, meanX = 0.0f;
    for (const Vector3& p : rest) low = std::min(low, p.y), high = std::max(high, p.y), meanX += p.x / rest.size();
    EXPECT_NEAR(low, 0.0f, 0.01f) << "feet on the ground";
    EXPECT_NEAR(high, 1.8f, 0.05f) << "height";
    EXPECT_NEAR(meanX, 0.0f, 0.02f) << "centred";
    for (int frame = 0; frame < model.frameCount; ++frame) {
        for (const Vector3& p : pose(model, frame)) ASSERT_GT(p.y, -0.02f) << "frame " << frame;
    }
    float idleStep = 0.0f, actionStep = 0.0f;  // the largest move between shown frames inside each loop
    for (int frame = 0; frame + 2 < 30; frame += 2) idleStep = std::max(idleStep, largestMove(model, frame, frame + 2));
    for (int frame = 50; frame < 79; ++frame) actionStep = std::max(actionStep, largestMove(model, frame, frame + 1));
    EXPECT_GT(idleStep, 0.001f) << "the idle loop moves";
    EXPECT_GT(actionStep, 0.01f) << "the action loop moves";
    EXPECT_LE(largestMove(model, 28, 0), 1.2f * idleStep) << "idle loop seam";
    EXPECT_LE(largestMove(model, 79, 50), 1.2f * actionStep) << "action loop seam";
    EXPECT_LE(largestMove(model, 28, 30), 2.0f * idleStep) << "into the transition";
    EXPECT_LE(largestMove(model, 49, 50), actionStep) << "into the action loop";
    // The return clip swings the raised arm (0.72 long) down: no step jumps by more than about two thirds of it.
    for (int frame = 79; frame < 85; ++frame) EXPECT_LE(largestMove(model, frame, (frame + 1) % 85), 0.5f) << frame;
}
