// Fuzz target of the model reader: arbitrary text as the character file, then a few animation steps.
#include <cstddef>
#include <cstdint>

#include "character/skinned_model.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/quiet_platform.h"

namespace {

// A few steps walk the skinning through more than the first keyframe.
constexpr int kAnimationSteps = 4;
constexpr float kStepMilliseconds = 41.0f;

void checkBuiltModel(const SkinnedModel& model) {
    FUZZ_CHECK(model.boneCount() >= 0);
    for (const Bone& bone : model.bones) {
        FUZZ_CHECK(static_cast<int>(bone.keyframes.size()) == model.frameCount);
    }
    for (const SkinnedMesh& mesh : model.meshes) {
        FUZZ_CHECK(mesh.materialIndex >= 0 && mesh.materialIndex < model.materialCount());
        const std::size_t vertices = static_cast<std::size_t>(mesh.vertexCount);
        FUZZ_CHECK(mesh.positions.size() == vertices * 4 && mesh.skinnedPositions.size() == vertices * 4);
        FUZZ_CHECK(mesh.normals.size() == vertices * 3 && mesh.skinnedNormals.size() == vertices * 3);
        FUZZ_CHECK(mesh.indices.size() == static_cast<std::size_t>(mesh.triangleCount) * 3);
        for (int index : mesh.indices) {
            FUZZ_CHECK(index >= 0 && index < mesh.vertexCount);
        }
        // Without a rendering context no buffer may have been made.
        FUZZ_CHECK(!mesh.hasBuffers());
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    installQuietPlatform();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    SkinnedModel model;
    if (!model.loadFromText(reinterpret_cast<const char*>(data), size, "fuzz.txt")) {
        // A refused file leaves nothing behind.
        FUZZ_CHECK(model.meshCount() == 0 && model.boneCount() == 0 && model.materialCount() == 0);
        return 0;
    }
    checkBuiltModel(model);
    for (int step = 0; step < kAnimationSteps; ++step) {
        model.update(kStepMilliseconds);
    }
    model.release();
    return 0;
}
