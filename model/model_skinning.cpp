// Model skinning: joint matrices per pose, weighted vertices per skinned primitive, rigid parts by their node.
#include "model/model_skinning.h"

namespace {

constexpr int kInfluences = 4;

}  // namespace

void skinVertices(const ModelPrimitive& primitive, const Matrix4* joints, const NormalMatrix* jointNormals,
                  float* positions, float* normals) {
    const int count = primitive.vertexCount();
    const float* bindPositions = primitive.positions.data();
    const float* bindNormals = primitive.normals.data();
    const std::uint16_t* jointIndices = primitive.joints.data();
    const float* weights = primitive.weights.data();
    for (int vertex = 0; vertex < count; ++vertex) {
        float p[3] = {0.0f, 0.0f, 0.0f}, n[3] = {0.0f, 0.0f, 0.0f};
        for (int slot = 0; slot < kInfluences; ++slot) {
            const float w = weights[vertex * kInfluences + slot];
            if (!(w > 0.0f)) continue;
            const int joint = jointIndices[vertex * kInfluences + slot];
            float moved[3], turned[3];
            transformPoint(joints[joint], bindPositions + vertex * 3, moved);
            transformNormal(jointNormals[joint], bindNormals + vertex * 3, turned);
            for (int i = 0; i < 3; ++i) {
                p[i] += w * moved[i];
                n[i] += w * turned[i];
            }
        }
        normaliseInPlace(n);
        for (int i = 0; i < 3; ++i) {
            positions[vertex * 3 + i] = p[i];
            normals[vertex * 3 + i] = n[i];
        }
    }
}

void transformVertices(const ModelPrimitive& primitive, const Matrix4& transform, const NormalMatrix& normalTransform,
                       float* positions, float* normals) {
    const int count = primitive.vertexCount();
    for (int vertex = 0; vertex < count; ++vertex) {
        transformPoint(transform, primitive.positions.data() + vertex * 3, positions + vertex * 3);
        transformNormal(normalTransform, primitive.normals.data() + vertex * 3, normals + vertex * 3);
        normaliseInPlace(normals + vertex * 3);
    }
}

void poseVertices(const ModelData& data, const std::vector<ModelPart>& parts, const ModelPose& pose,
                  const Matrix4& placement, SkinMatrices& skins, float* positions, float* normals) {
    // Joint matrices once per pose, not per vertex.
    skins.joints.resize(data.skins.size());
    skins.normals.resize(data.skins.size());
    for (std::size_t s = 0; s < data.skins.size(); ++s) {
        const ModelSkin& skin = data.skins[s];
        skins.joints[s].resize(skin.joints.size());
        skins.normals[s].resize(skin.joints.size());
        for (std::size_t j = 0; j < skin.joints.size(); ++j) {
            skins.joints[s][j] =
                multiply(placement, multiply(pose.global[skin.joints[j]], skin.inverseBindMatrices[j]));
            skins.normals[s][j] = normalMatrix(skins.joints[s][j]);
        }
    }
    for (const ModelPart& part : parts) {
        const ModelPrimitive& primitive = data.meshes[part.mesh].primitives[part.primitive];
        float* partPositions = positions + static_cast<std::size_t>(part.firstVertex) * 3;
        float* partNormals = normals + static_cast<std::size_t>(part.firstVertex) * 3;
        if (part.skin >= 0) {
            skinVertices(primitive, skins.joints[part.skin].data(), skins.normals[part.skin].data(), partPositions,
                         partNormals);
        } else {
            const Matrix4 transform = multiply(placement, pose.global[part.node]);
            transformVertices(primitive, transform, normalMatrix(transform), partPositions, partNormals);
        }
    }
}
