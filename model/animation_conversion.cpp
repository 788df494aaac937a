// Animation conversion: glTF animation channels of translation, rotation and scale into key times and values.
#include "model/animation_conversion.h"

#include <algorithm>

#include "model/accessor_reader.h"

namespace {

// A cubic spline key holds an in-tangent, a value and an out-tangent.
constexpr std::size_t kValuesPerCubicKey = 3;

bool readPath(const std::string& name, AnimationPath& path) {
    if (name == "translation") {
        path = AnimationPath::Translation;
    } else if (name == "rotation") {
        path = AnimationPath::Rotation;
    } else if (name == "scale") {
        path = AnimationPath::Scale;
    } else {
        return false;
    }
    return true;
}

Interpolation readInterpolation(const std::string& name, const std::string& what) {
    if (name == "LINEAR") return Interpolation::Linear;
    if (name == "STEP") return Interpolation::Step;
    if (name == "CUBICSPLINE") return Interpolation::CubicSpline;
    refuseModel(what + " has the interpolation \"" + name + "\", not LINEAR, STEP or CUBICSPLINE");
}

ModelChannel convertChannel(const ModelSource& source, const tinygltf::Animation& animation,
                            const tinygltf::AnimationChannel& channel, AnimationPath path, const ModelData& data,
                            const std::string& what) {
    ModelChannel out;
    out.path = path;
    if (!inRange(channel.target_node, data.nodes)) {
        refuseModel(what + " animates node " + std::to_string(channel.target_node) + ", which does not exist");
    }
    if (data.nodes[static_cast<std::size_t>(channel.target_node)].hasMatrix) {
        refuseModel(what + " animates node " + std::to_string(channel.target_node) + ", whose transform is a matrix");
    }
    out.node = channel.target_node;
    if (!inRange(channel.sampler, animation.samplers)) {
        refuseModel(what + " names sampler " + std::to_string(channel.sampler) + ", which does not exist");
    }
    const tinygltf::AnimationSampler& sampler = animation.samplers[static_cast<std::size_t>(channel.sampler)];
    out.interpolation = readInterpolation(sampler.interpolation, what);
    out.times = readFloats(source, sampler.input, 1, what + ": key times");
    for (std::size_t key = 1; key < out.times.size(); ++key) {
        if (out.times[key] < out.times[key - 1]) {
            refuseModel(what + ": key times go back (key " + std::to_string(key) + " comes before key " +
                        std::to_string(key - 1) + ")");
        }
    }
    const int components = path == AnimationPath::Rotation ? 4 : 3;
    out.values = readFloats(source, sampler.output, components, what + ": key values");
    const std::size_t valuesPerKey = out.interpolation == Interpolation::CubicSpline ? kValuesPerCubicKey : 1;
    if (out.values.size() != out.times.size() * valuesPerKey * static_cast<std::size_t>(components)) {
        refuseModel(what + " has " + std::to_string(out.values.size() / static_cast<std::size_t>(components)) +
                    " key values for " + std::to_string(out.times.size()) + " key times");
    }
    return out;
}

}  // namespace

void convertAnimations(const ModelSource& source, ModelData& data) {
    for (std::size_t animationIndex = 0; animationIndex < source.gltf.animations.size(); ++animationIndex) {
        const tinygltf::Animation& animation = source.gltf.animations[animationIndex];
        ModelAnimation out;
        out.name = animation.name;
        for (std::size_t channelIndex = 0; channelIndex < animation.channels.size(); ++channelIndex) {
            const tinygltf::AnimationChannel& channel = animation.channels[channelIndex];
            AnimationPath path = AnimationPath::Translation;
            if (channel.target_path == "weights") {
                source.notes.add("morph target animations");
                continue;
            }
            if (!readPath(channel.target_path, path)) {
                source.notes.add("animation channels of \"" + channel.target_path + "\"");
                continue;
            }
            // A channel without a node animates nothing that glTF defines.
            if (channel.target_node < 0) continue;
            const std::string what =
                "animation " + std::to_string(animationIndex) + ", channel " + std::to_string(channelIndex);
            out.channels.push_back(convertChannel(source, animation, channel, path, data, what));
            out.duration = std::max(out.duration, out.channels.back().times.back());
        }
        data.animations.push_back(std::move(out));
    }
}
