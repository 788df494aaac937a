// The program's character and the release of everything a load built.
#include "character/skinned_model.h"

void SkinnedModel::release() {
    for (SkinnedMesh& mesh : meshes) {
        mesh.releaseBuffers();
    }
    meshes.clear();
    meshes.shrink_to_fit();
    bones.clear();
    bones.shrink_to_fit();
    materials.clear();
    materials.shrink_to_fit();
    poses_.clear();
    poses_.shrink_to_fit();
    frameCount = 0;
    rootCount = 0;
}

SkinnedModel& skinnedModel() {
    static SkinnedModel model;
    return model;
}
