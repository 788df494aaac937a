// Skinning benchmark: median time of one animation step of the generated character (skin every vertex and upload).
#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "character/mesh_buffers.h"
#include "character/skinned_model.h"
#include "platform/native_window.h"

namespace {

constexpr int kWarmUpSteps = 20;
constexpr int kMeasuredSteps = 400;
// Every call gathers more than the 40 ms an animation step waits for.
constexpr float kElapsedPerCall = 41.0f;

}  // namespace

int main(int argc, char** argv) {
    const char* fileName = argc > 1 ? argv[1] : LUMIVOR_RUN_DIR "/animation2.txt";
    if (!startVideo()) {
        std::fprintf(stderr, "skinning_benchmark: no video driver\n");
        return 1;
    }
    NativeWindow* window = createNativeWindow("skinning benchmark", 64, 64, WindowFrame::Hidden);
    if (window == nullptr) {
        std::fprintf(stderr, "skinning_benchmark: no GL context\n");
        stopVideo();
        return 1;
    }
    loadBufferEntryPoints();
    SkinnedModel& model = skinnedModel();
    model.load(fileName);
    int vertices = 0;
    int triangles = 0;
    for (const SkinnedMesh& mesh : model.meshes) {
        vertices += mesh.vertexCount;
        triangles += mesh.triangleCount;
    }
    if (vertices == 0) {
        std::fprintf(stderr, "skinning_benchmark: %s holds no character\n", fileName);
        return 1;
    }

    std::vector<double> milliseconds;
    for (int step = 0; step < kWarmUpSteps + kMeasuredSteps; ++step) {
        const auto start = std::chrono::steady_clock::now();
        model.update(kElapsedPerCall);
        glFlush();
        const auto end = std::chrono::steady_clock::now();
        if (step >= kWarmUpSteps) {
            milliseconds.push_back(std::chrono::duration<double, std::milli>(end - start).count());
        }
    }
    std::sort(milliseconds.begin(), milliseconds.end());
    std::printf("character: %d meshes, %d vertices, %d triangles, %d bones\n", model.meshCount(), vertices, triangles,
                model.boneCount());
    std::printf("animation step (skin + upload): median %.3f ms, fastest %.3f ms, slowest %.3f ms over %d steps\n",
                milliseconds[milliseconds.size() / 2], milliseconds.front(), milliseconds.back(), kMeasuredSteps);
    model.release();
    destroyNativeWindow(window);
    stopVideo();
    return 0;
}
