// CPU skinning: every vertex from its weighted bones' keyframes, at half the file's scale, uploaded mesh by mesh.
#include "character/skinned_model.h"

namespace {

// Positions are drawn at half the size of the file's coordinates.
constexpr float kModelScale = 0.5f;

struct Vec {
    float x, y, z;
};

// Vector part of q * (d, 0) * inverseOfQ, each product in the Hamilton order
// of the shared Quaternion type; only the terms that multiply the zero scalar
// of (d, 0) and the unused scalar of the result are left out.
inline Vec rotate(const Quaternion& q, const Quaternion& inverseOfQ, Vec d) {
    const float tx = q.w * d.x + (q.y * d.z - q.z * d.y);
    const float ty = q.w * d.y + (q.z * d.x - q.x * d.z);
    const float tz = q.w * d.z + (q.x * d.y - q.y * d.x);
    const float tw = -(q.x * d.x + q.y * d.y + q.z * d.z);
    const Quaternion& r = inverseOfQ;
    return {tw * r.x + r.w * tx + (ty * r.z - tz * r.y), tw * r.y + r.w * ty + (tz * r.x - tx * r.z),
            tw * r.z + r.w * tz + (tx * r.y - ty * r.x)};
}

void skinMesh(SkinnedMesh& mesh, const BonePose* poses, int boneCount) {
    const float* positions = mesh.positions.data();
    const float* normals = mesh.normals.data();
    const float* weights = mesh.weights.data();
    const int* boneIndices = mesh.boneIndices.data();
    float* skinnedPositions = mesh.skinnedPositions.data();
    float* skinnedNormals = mesh.skinnedNormals.data();

    for (int vertex = 0; vertex < mesh.vertexCount; ++vertex) {
        const float* p = positions + vertex * 4;
        const Vec n{normals[vertex * 3], normals[vertex * 3 + 1], normals[vertex * 3 + 2]};
        Vec sumP{0.0f, 0.0f, 0.0f};
        Vec sumN{0.0f, 0.0f, 0.0f};
        for (int slot = 0; slot < kInfluencesPerVertex; ++slot) {
            const float w = weights[vertex * kInfluencesPerVertex + slot];
            const int bone = boneIndices[vertex * kInfluencesPerVertex + slot];
            // Zero, negative and NaN weights are skipped; so is a bone number
            // the reader would have refused.
            if (!(w > 0.0f) || static_cast<unsigned>(bone) >= static_cast<unsigned>(boneCount)) {
                continue;
            }
            const BonePose& pose = poses[bone];
            Vec d{p[0] - pose.pivot.x, p[1] - pose.pivot.y, p[2] - pose.pivot.z};
            d = rotate(pose.boneRotation, pose.boneInverseRotation, d);
            d = rotate(pose.keyRotation, pose.keyInverseRotation, d);
            d = {d.x + pose.translation.x, d.y + pose.translation.y, d.z + pose.translation.z};
            sumP = {sumP.x + w * d.x, sumP.y + w * d.y, sumP.z + w * d.z};

            Vec m = rotate(pose.boneRotation, pose.boneInverseRotation, n);
            m = rotate(pose.keyRotation, pose.keyInverseRotation, m);
            sumN = {sumN.x + w * m.x, sumN.y + w * m.y, sumN.z + w * m.z};
        }
        float* outP = skinnedPositions + vertex * 4;
        outP[0] = kModelScale * sumP.x;
        outP[1] = kModelScale * sumP.y;
        outP[2] = kModelScale * sumP.z;
        outP[3] = 1.0f;
        // Normals stay as summed: the shaders normalise them.
        float* outN = skinnedNormals + vertex * 3;
        outN[0] = sumN.x;
        outN[1] = sumN.y;
        outN[2] = sumN.z;
    }
}

}  // namespace

void SkinnedModel::skinCurrentFrame() {
    if (meshes.empty() || currentFrame < 0 || currentFrame >= frameCount || poses_.size() != bones.size()) {
        return;
    }
    // Each bone's rotations for this frame are looked up once, not per vertex.
    for (std::size_t b = 0; b < bones.size(); ++b) {
        const Bone& bone = bones[b];
        const BoneKeyframe& key = bone.keyframes[currentFrame];
        poses_[b] = {bone.rotation, bone.inverseRotation, bone.pivot,
                     key.rotation,  key.inverseRotation,  key.translation};
    }
    for (SkinnedMesh& mesh : meshes) {
        skinMesh(mesh, poses_.data(), boneCount());
        mesh.uploadSkinnedVertices();
    }
}
