// Node conversion: the node hierarchy with rest transforms, the scene's roots, and the skins bound to it.
#include "model/node_conversion.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "model/accessor_reader.h"

namespace {

constexpr std::size_t kMatrixValues = 16;

template <std::size_t kSize>
void readArray(const std::vector<double>& values, std::array<float, kSize>& out, const std::string& what) {
    if (values.empty()) return;
    if (values.size() != kSize) {
        refuseModel(what + " has " + std::to_string(values.size()) + " numbers, not " + std::to_string(kSize));
    }
    for (std::size_t i = 0; i < kSize; ++i) out[i] = finiteFloat(values[i], what);
}

// Rotations are unit quaternions; a zero one means no rotation.
void normaliseRotation(std::array<float, 4>& rotation) {
    const float length = std::sqrt(rotation[0] * rotation[0] + rotation[1] * rotation[1] + rotation[2] * rotation[2] +
                                   rotation[3] * rotation[3]);
    if (!(length > 0.0f) || !std::isfinite(length)) {
        rotation = {0.0f, 0.0f, 0.0f, 1.0f};
        return;
    }
    for (float& component : rotation) component /= length;
}

ModelNode convertNode(const ModelSource& source, const tinygltf::Node& node, const std::string& what) {
    ModelNode out;
    out.name = node.name;
    if (node.mesh >= 0 && !inRange(node.mesh, source.gltf.meshes)) {
        refuseModel(what + " names mesh " + std::to_string(node.mesh) + ", which does not exist");
    }
    out.mesh = node.mesh;
    out.skin = node.skin;  // checked with the skins
    if (node.camera >= 0) source.notes.add("cameras");
    if (!node.weights.empty()) source.notes.add("morph targets (the meshes keep their base shapes)");
    // A matrix, when given, is the node's transform; glTF forbids giving both.
    if (!node.matrix.empty()) {
        readArray<kMatrixValues>(node.matrix, out.matrix, what + "'s matrix");
        out.hasMatrix = true;
        return out;
    }
    readArray<3>(node.translation, out.translation, what + "'s translation");
    readArray<4>(node.rotation, out.rotation, what + "'s rotation");
    readArray<3>(node.scale, out.scale, what + "'s scale");
    normaliseRotation(out.rotation);
    return out;
}

// Links children to parents: each child exists, is not its own, and has one parent.
void linkChildren(const ModelSource& source, ModelData& data) {
    for (std::size_t parent = 0; parent < data.nodes.size(); ++parent) {
        for (int child : source.gltf.nodes[parent].children) {
            if (!inRange(child, data.nodes)) {
                refuseModel("node " + std::to_string(parent) + " has child " + std::to_string(child) +
                            ", which does not exist");
            }
            ModelNode& childNode = data.nodes[static_cast<std::size_t>(child)];
            if (static_cast<std::size_t>(child) == parent) {
                refuseModel("node " + std::to_string(child) + " is its own child");
            }
            if (childNode.parent >= 0) {
                refuseModel("node " + std::to_string(child) + " has two parents (nodes " +
                            std::to_string(childNode.parent) + " and " + std::to_string(parent) + ")");
            }
            childNode.parent = static_cast<int>(parent);
            data.nodes[parent].children.push_back(child);
        }
    }
}

// With one parent each, a node that no walk down from the parentless nodes
// reaches lies on (or under) a cycle.
void refuseCycles(const ModelData& data) {
    std::vector<bool> reached(data.nodes.size(), false);
    std::vector<int> pending;
    for (std::size_t node = 0; node < data.nodes.size(); ++node) {
        if (data.nodes[node].parent < 0) pending.push_back(static_cast<int>(node));
    }
    while (!pending.empty()) {
        const int node = pending.back();
        pending.pop_back();
        reached[static_cast<std::size_t>(node)] = true;
        for (int child : data.nodes[static_cast<std::size_t>(node)].children) pending.push_back(child);
    }
    for (std::size_t node = 0; node < reached.size(); ++node) {
        if (!reached[node]) refuseModel("the node hierarchy has a cycle through node " + std::to_string(node));
    }
}

void chooseSceneRoots(const ModelSource& source, ModelData& data) {
    const tinygltf::Model& gltf = source.gltf;
    if (gltf.defaultScene >= 0 && !inRange(gltf.defaultScene, gltf.scenes)) {
        refuseModel("the default scene " + std::to_string(gltf.defaultScene) + " does not exist");
    }
    if (gltf.scenes.empty()) {
        for (std::size_t node = 0; node < data.nodes.size(); ++node) {
            if (data.nodes[node].parent < 0) data.sceneRoots.push_back(static_cast<int>(node));
        }
        return;
    }
    const int scene = gltf.defaultScene >= 0 ? gltf.defaultScene : 0;
    const std::string what = "scene " + std::to_string(scene);
    std::vector<bool> listed(data.nodes.size(), false);
    for (int node : gltf.scenes[static_cast<std::size_t>(scene)].nodes) {
        if (!inRange(node, data.nodes)) {
            refuseModel(what + " lists node " + std::to_string(node) + ", which does not exist");
        }
        const ModelNode& root = data.nodes[static_cast<std::size_t>(node)];
        if (root.parent >= 0) {
            refuseModel(what + " lists node " + std::to_string(node) + ", a child of node " +
                        std::to_string(root.parent));
        }
        if (listed[static_cast<std::size_t>(node)]) {
            refuseModel(what + " lists node " + std::to_string(node) + " twice");
        }
        listed[static_cast<std::size_t>(node)] = true;
        data.sceneRoots.push_back(node);
    }
}

}  // namespace

float finiteFloat(double value, const std::string& what) {
    if (!std::isfinite(value) || std::fabs(value) > std::numeric_limits<float>::max()) {
        refuseModel(what + " holds a number that is not a finite float");
    }
    return static_cast<float>(value);
}

void convertNodes(const ModelSource& source, ModelData& data) {
    data.nodes.reserve(source.gltf.nodes.size());
    for (std::size_t node = 0; node < source.gltf.nodes.size(); ++node) {
        data.nodes.push_back(convertNode(source, source.gltf.nodes[node], "node " + std::to_string(node)));
    }
    linkChildren(source, data);
    refuseCycles(data);
    chooseSceneRoots(source, data);
}

void convertSkins(const ModelSource& source, const std::vector<MeshJointUse>& jointUse, ModelData& data) {
    for (std::size_t skinIndex = 0; skinIndex < source.gltf.skins.size(); ++skinIndex) {
        const tinygltf::Skin& skin = source.gltf.skins[skinIndex];
        const std::string what = "skin " + std::to_string(skinIndex);
        if (skin.joints.empty()) refuseModel(what + " has no joints");
        ModelSkin out;
        for (int joint : skin.joints) {
            if (!inRange(joint, data.nodes)) {
                refuseModel(what + " names node " + std::to_string(joint) + " as a joint, which does not exist");
            }
            out.joints.push_back(joint);
        }
        out.inverseBindMatrices.assign(out.joints.size(), kIdentityMatrix4);
        if (skin.inverseBindMatrices >= 0) {
            const std::vector<float> matrices =
                readFloats(source, skin.inverseBindMatrices, kMatrixValues, what + ": inverse bind matrices");
            if (matrices.size() < out.joints.size() * kMatrixValues) {
                refuseModel(what + " has " + std::to_string(matrices.size() / kMatrixValues) +
                            " inverse bind matrices for " + std::to_string(out.joints.size()) + " joints");
            }
            for (std::size_t joint = 0; joint < out.joints.size(); ++joint) {
                std::copy_n(&matrices[joint * kMatrixValues], kMatrixValues, out.inverseBindMatrices[joint].begin());
            }
        }
        data.skins.push_back(std::move(out));
    }
    for (std::size_t nodeIndex = 0; nodeIndex < data.nodes.size(); ++nodeIndex) {
        const ModelNode& node = data.nodes[nodeIndex];
        if (node.skin < 0) continue;
        const std::string what = "node " + std::to_string(nodeIndex);
        if (!inRange(node.skin, data.skins)) {
            refuseModel(what + " names skin " + std::to_string(node.skin) + ", which does not exist");
        }
        if (node.mesh < 0) refuseModel(what + " has a skin but no mesh");
        const MeshJointUse& use = jointUse[static_cast<std::size_t>(node.mesh)];
        if (!use.everyPrimitiveHasJoints) {
            refuseModel(what + " has a skin, but mesh " + std::to_string(node.mesh) +
                        " has a primitive without JOINTS_0 and WEIGHTS_0");
        }
        const std::size_t jointCount = data.skins[static_cast<std::size_t>(node.skin)].joints.size();
        if (use.largestJoint >= 0 && static_cast<std::size_t>(use.largestJoint) >= jointCount) {
            refuseModel("mesh " + std::to_string(node.mesh) + " uses joint " + std::to_string(use.largestJoint) +
                        ", but skin " + std::to_string(node.skin) + " of " + what + " has " +
                        std::to_string(jointCount) + " joints");
        }
    }
}
