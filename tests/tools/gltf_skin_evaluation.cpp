// Test helper: a glTF skin evaluated on the CPU in double precision, at one key of one stepped animation.
#include "tools/gltf_skin_evaluation.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>

namespace {

using Matrix = std::array<double, 16>;  // column-major

struct Transform {
    std::vector<double> translation{0, 0, 0}, rotation{0, 0, 0, 1}, scale{1, 1, 1};
};

template <typename Value>
Value read(const unsigned char* at) {
    Value value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

Matrix multiply(const Matrix& a, const Matrix& b) {
    Matrix product{};
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            for (int k = 0; k < 4; ++k) product[column * 4 + row] += a[k * 4 + row] * b[column * 4 + k];
        }
    }
    return product;
}

// T * R * S, as glTF composes a node's properties.
Matrix trsMatrix(const Transform& transform) {
    const double x = transform.rotation[0], y = transform.rotation[1], z = transform.rotation[2];
    const double w = transform.rotation[3];
    const double rotation[3][3] = {{1 - 2 * (y * y + z * z), 2 * (x * y - z * w), 2 * (x * z + y * w)},
                                   {2 * (x * y + z * w), 1 - 2 * (x * x + z * z), 2 * (y * z - x * w)},
                                   {2 * (x * z - y * w), 2 * (y * z + x * w), 1 - 2 * (x * x + y * y)}};
    Matrix m{};
    for (int column = 0; column < 3; ++column) {
        for (int row = 0; row < 3; ++row) m[column * 4 + row] = rotation[row][column] * transform.scale[column];
        m[12 + column] = transform.translation[column];
    }
    m[15] = 1.0;
    return m;
}

// Every node's global matrix with the animation's channels stepped to the
// time; with no animation (a negative number) in the rest pose.
std::vector<Matrix> globalMatrices(const tinygltf::Model& gltf, int animation, double time) {
    std::vector<Transform> transforms(gltf.nodes.size());
    for (std::size_t n = 0; n < gltf.nodes.size(); ++n) {
        const tinygltf::Node& node = gltf.nodes[n];
        if (!node.translation.empty()) transforms[n].translation = node.translation;
        if (!node.rotation.empty()) transforms[n].rotation = node.rotation;
        if (!node.scale.empty()) transforms[n].scale = node.scale;
    }
    const std::vector<tinygltf::AnimationChannel> none;
    for (const tinygltf::AnimationChannel& channel : animation < 0 ? none : gltf.animations[animation].channels) {
        const tinygltf::AnimationSampler& sampler = gltf.animations[animation].samplers[channel.sampler];
        const std::vector<double> times = accessorValues(gltf, sampler.input);
        const std::vector<double> values = accessorValues(gltf, sampler.output);
        std::size_t key = 0;
        while (key + 1 < times.size() && times[key + 1] <= time) ++key;
        Transform& transform = transforms[channel.target_node];
        std::vector<double>& target = channel.target_path == "translation" ? transform.translation
                                      : channel.target_path == "rotation"  ? transform.rotation
                                                                           : transform.scale;
        const std::size_t width = target.size();
        target.assign(values.begin() + key * width, values.begin() + (key + 1) * width);
    }
    std::vector<int> parents(gltf.nodes.size(), -1);
    for (std::size_t n = 0; n < gltf.nodes.size(); ++n) {
        for (int child : gltf.nodes[n].children) parents[child] = static_cast<int>(n);
    }
    std::vector<Matrix> globals(gltf.nodes.size());
    std::function<Matrix(int)> global = [&](int node) {
        const Matrix local = trsMatrix(transforms[node]);
        return parents[node] < 0 ? local : multiply(global(parents[node]), local);
    };
    for (std::size_t n = 0; n < gltf.nodes.size(); ++n) globals[n] = global(static_cast<int>(n));
    return globals;
}

}  // namespace

std::vector<double> accessorValues(const tinygltf::Model& gltf, int index) {
    const tinygltf::Accessor& accessor = gltf.accessors.at(index);
    const tinygltf::BufferView& view = gltf.bufferViews.at(accessor.bufferView);
    const std::vector<unsigned char>& bytes = gltf.buffers.at(view.buffer).data;
    const int components = tinygltf::GetNumComponentsInType(accessor.type);
    const int size = tinygltf::GetComponentSizeInBytes(accessor.componentType);
    const std::size_t stride = static_cast<std::size_t>(accessor.ByteStride(view));
    const std::size_t start = view.byteOffset + accessor.byteOffset;
    if (accessor.count > 0 && start + (accessor.count - 1) * stride + components * size > bytes.size()) {
        return {};  // outside its buffer: the counts the tests compare then differ
    }
    std::vector<double> values;
    for (std::size_t element = 0; element < accessor.count; ++element) {
        for (int component = 0; component < components; ++component) {
            const unsigned char* at = bytes.data() + start + element * stride + component * size;
            const int type = accessor.componentType;
            values.push_back(type == TINYGLTF_COMPONENT_TYPE_FLOAT            ? double{read<float>(at)}
                             : type == TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT   ? read<std::uint32_t>(at)
                             : type == TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT ? read<std::uint16_t>(at)
                                                                              : *at);
        }
    }
    return values;
}

std::vector<double> keyTimes(const tinygltf::Model& gltf, int animation) {
    return accessorValues(gltf, gltf.animations.at(animation).samplers.at(0).input);
}

std::vector<Point> skinnedPositions(const tinygltf::Model& gltf, const tinygltf::Primitive& primitive, int skin,
                                    int animation, double time) {
    const std::vector<Matrix> globals = globalMatrices(gltf, animation, time);
    const tinygltf::Skin& joints = gltf.skins.at(skin);
    const std::vector<double> inverseBinds = accessorValues(gltf, joints.inverseBindMatrices);
    std::vector<Matrix> jointMatrices;
    if (inverseBinds.size() != joints.joints.size() * 16) {
        return {};  // the counts the tests compare then differ
    }
    for (std::size_t j = 0; j < joints.joints.size(); ++j) {
        Matrix inverseBind;
        std::copy(inverseBinds.begin() + j * 16, inverseBinds.begin() + (j + 1) * 16, inverseBind.begin());
        jointMatrices.push_back(multiply(globals[joints.joints[j]], inverseBind));
    }
    const std::vector<double> positions = accessorValues(gltf, primitive.attributes.at("POSITION"));
    const std::vector<double> jointNumbers = accessorValues(gltf, primitive.attributes.at("JOINTS_0"));
    const std::vector<double> weights = accessorValues(gltf, primitive.attributes.at("WEIGHTS_0"));
    std::vector<Point> skinned(positions.size() / 3, Point{0, 0, 0});
    for (std::size_t v = 0; v < skinned.size(); ++v) {
        for (std::size_t slot = v * 4; slot < v * 4 + 4; ++slot) {
            const Matrix& m = jointMatrices.at(static_cast<std::size_t>(jointNumbers[slot]));
            for (int row = 0; row < 3; ++row) {
                const double moved = m[row] * positions[v * 3] + m[4 + row] * positions[v * 3 + 1] +
                                     m[8 + row] * positions[v * 3 + 2] + m[12 + row];
                skinned[v][row] += weights[slot] * moved;
            }
        }
    }
    return skinned;
}
