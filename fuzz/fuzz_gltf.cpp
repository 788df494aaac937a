// Fuzz target of the glTF loader: arbitrary bytes as a .glb or .gltf file, then every promise of ModelData checked.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "model/model_loader.h"

namespace {

// Enough for every seed many times over; a mutated count that asks for more
// is refused at once instead of filling the fuzzer's memory.
constexpr std::uint64_t kFuzzMaxBytes = std::uint64_t{64} << 20;
constexpr float kUnitTolerance = 1e-3f;

template <typename Items>
bool isIndex(int index, const Items& items) {
    return index >= 0 && static_cast<std::size_t>(index) < items.size();
}

bool allFinite(const std::vector<float>& values) {
    for (float value : values) {
        if (!std::isfinite(value)) return false;
    }
    return true;
}

void checkNodes(const ModelData& model) {
    for (std::size_t node = 0; node < model.nodes.size(); ++node) {
        const ModelNode& n = model.nodes[node];
        FUZZ_CHECK(n.parent == -1 || isIndex(n.parent, model.nodes));
        for (int child : n.children) {
            FUZZ_CHECK(isIndex(child, model.nodes));
            FUZZ_CHECK(model.nodes[static_cast<std::size_t>(child)].parent == static_cast<int>(node));
        }
        FUZZ_CHECK(n.mesh == -1 || isIndex(n.mesh, model.meshes));
        FUZZ_CHECK(n.skin == -1 || isIndex(n.skin, model.skins));
        if (n.skin >= 0) {
            FUZZ_CHECK(n.mesh >= 0);
            const std::size_t joints = model.skins[static_cast<std::size_t>(n.skin)].joints.size();
            for (const ModelPrimitive& primitive : model.meshes[static_cast<std::size_t>(n.mesh)].primitives) {
                FUZZ_CHECK(!primitive.joints.empty());
                for (std::uint16_t joint : primitive.joints) FUZZ_CHECK(joint < joints);
            }
        }
    }
    for (int root : model.sceneRoots) {
        FUZZ_CHECK(isIndex(root, model.nodes));
        FUZZ_CHECK(model.nodes[static_cast<std::size_t>(root)].parent == -1);
    }
}

void checkPrimitive(const ModelData& model, const ModelPrimitive& primitive) {
    const std::size_t vertices = static_cast<std::size_t>(primitive.vertexCount());
    FUZZ_CHECK(primitive.positions.size() == vertices * 3);
    FUZZ_CHECK(allFinite(primitive.positions));
    FUZZ_CHECK(primitive.normals.size() == vertices * 3);
    for (std::size_t v = 0; v < vertices; ++v) {
        const float* n = &primitive.normals[3 * v];
        FUZZ_CHECK(std::fabs(std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]) - 1.0f) < kUnitTolerance);
    }
    FUZZ_CHECK(primitive.texCoords.empty() || primitive.texCoords.size() == vertices * 2);
    FUZZ_CHECK(allFinite(primitive.texCoords));
    FUZZ_CHECK(primitive.colours.empty() || primitive.colours.size() == vertices * 4);
    FUZZ_CHECK(allFinite(primitive.colours));
    FUZZ_CHECK(primitive.joints.size() == primitive.weights.size());
    FUZZ_CHECK(primitive.joints.empty() || primitive.joints.size() == vertices * 4);
    for (std::size_t v = 0; v < primitive.weights.size() / 4; ++v) {
        const float* w = &primitive.weights[4 * v];
        FUZZ_CHECK(std::fabs(w[0] + w[1] + w[2] + w[3] - 1.0f) < kUnitTolerance);
    }
    FUZZ_CHECK(primitive.indices.size() % 3 == 0);
    for (std::uint32_t index : primitive.indices) FUZZ_CHECK(index < vertices);
    FUZZ_CHECK(primitive.material == -1 || isIndex(primitive.material, model.materials));
}

void checkSkinsAndAnimations(const ModelData& model) {
    for (const ModelSkin& skin : model.skins) {
        FUZZ_CHECK(!skin.joints.empty());
        FUZZ_CHECK(skin.inverseBindMatrices.size() == skin.joints.size());
        for (int joint : skin.joints) FUZZ_CHECK(isIndex(joint, model.nodes));
    }
    for (const ModelAnimation& animation : model.animations) {
        for (const ModelChannel& channel : animation.channels) {
            FUZZ_CHECK(isIndex(channel.node, model.nodes));
            FUZZ_CHECK(!model.nodes[static_cast<std::size_t>(channel.node)].hasMatrix);
            FUZZ_CHECK(!channel.times.empty());
            FUZZ_CHECK(allFinite(channel.times) && allFinite(channel.values));
            for (std::size_t key = 1; key < channel.times.size(); ++key) {
                FUZZ_CHECK(channel.times[key - 1] <= channel.times[key]);
            }
            const std::size_t components = channel.path == AnimationPath::Rotation ? 4 : 3;
            const std::size_t perKey = channel.interpolation == Interpolation::CubicSpline ? 3 : 1;
            FUZZ_CHECK(channel.values.size() == channel.times.size() * perKey * components);
            FUZZ_CHECK(channel.times.back() <= animation.duration);
        }
    }
}

void checkMaterials(const ModelData& model) {
    for (const ModelMaterial& material : model.materials) {
        FUZZ_CHECK(material.baseColourTexture == -1 || isIndex(material.baseColourTexture, model.textures));
    }
    for (const ModelTexture& texture : model.textures) FUZZ_CHECK(isIndex(texture.image, model.images));
    for (const ModelImage& image : model.images) {
        FUZZ_CHECK(image.width > 0 && image.height > 0);
        FUZZ_CHECK(image.rgba.size() == static_cast<std::size_t>(image.width) * image.height * 4);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ModelData model;
    std::string cause;
    std::vector<std::string> notes;
    ModelLoadSettings settings;
    settings.maxBytes = kFuzzMaxBytes;
    settings.notes = &notes;
    // No folder: the input is the whole model, and no file is ever opened.
    if (!loadModelFromMemory(data, size, "", "fuzz.glb", model, cause, settings)) {
        FUZZ_CHECK(cause.rfind("fuzz.glb: ", 0) == 0);
        FUZZ_CHECK(model.nodes.empty() && model.meshes.empty());
        return 0;
    }
    checkNodes(model);
    for (const ModelMesh& mesh : model.meshes) {
        for (const ModelPrimitive& primitive : mesh.primitives) checkPrimitive(model, primitive);
    }
    checkSkinsAndAnimations(model);
    checkMaterials(model);
    return 0;
}
