// Material conversion: metallic-roughness materials with their base colour textures, samplers and decoded images.
#include "model/material_conversion.h"

#include <map>

#include "model/accessor_reader.h"
#include "model/image_decoder.h"
#include "model/node_conversion.h"

namespace {

constexpr std::size_t kColourComponents = 4;
// Long enough to recognise a file name, short enough for one message line.
constexpr std::size_t kMaxQuotedUri = 80;

bool validWrap(int wrap) {
    return wrap == TINYGLTF_TEXTURE_WRAP_REPEAT || wrap == TINYGLTF_TEXTURE_WRAP_CLAMP_TO_EDGE ||
           wrap == TINYGLTF_TEXTURE_WRAP_MIRRORED_REPEAT;
}

bool validMagFilter(int filter) {
    return filter == TINYGLTF_TEXTURE_FILTER_NEAREST || filter == TINYGLTF_TEXTURE_FILTER_LINEAR;
}

bool validMinFilter(int filter) {
    return validMagFilter(filter) || (filter >= TINYGLTF_TEXTURE_FILTER_NEAREST_MIPMAP_NEAREST &&
                                      filter <= TINYGLTF_TEXTURE_FILTER_LINEAR_MIPMAP_LINEAR);
}

AlphaMode readAlphaMode(const std::string& mode, const std::string& what) {
    if (mode == "OPAQUE") return AlphaMode::Opaque;
    if (mode == "MASK") return AlphaMode::Mask;
    if (mode == "BLEND") return AlphaMode::Blend;
    refuseModel(what + " has the alpha mode \"" + mode + "\", not OPAQUE, MASK or BLEND");
}

// Converts textures and images on first use, so each is decoded once and
// only what the materials need is kept.
class TextureConversion {
public:
    TextureConversion(const ModelSource& source, const ModelFolder& folder, ModelData& data)
        : source_(source), folder_(folder), data_(data) {}

    int texture(int fileTexture, const std::string& user) {
        const auto known = textures_.find(fileTexture);
        if (known != textures_.end()) return known->second;
        if (!inRange(fileTexture, source_.gltf.textures)) {
            refuseModel(user + " names texture " + std::to_string(fileTexture) + ", which does not exist");
        }
        const tinygltf::Texture& texture = source_.gltf.textures[static_cast<std::size_t>(fileTexture)];
        const std::string what = "texture " + std::to_string(fileTexture);
        ModelTexture out;
        readSampler(texture.sampler, what, out);
        if (!inRange(texture.source, source_.gltf.images)) {
            refuseModel(what + " names image " + std::to_string(texture.source) + ", which does not exist");
        }
        out.image = image(texture.source);
        data_.textures.push_back(out);
        return textures_[fileTexture] = static_cast<int>(data_.textures.size() - 1);
    }

private:
    void readSampler(int sampler, const std::string& user, ModelTexture& out) const {
        if (sampler < 0) return;
        const std::string what = "sampler " + std::to_string(sampler);
        if (!inRange(sampler, source_.gltf.samplers)) {
            refuseModel(user + " names " + what + ", which does not exist");
        }
        const tinygltf::Sampler& file = source_.gltf.samplers[static_cast<std::size_t>(sampler)];
        if (!validWrap(file.wrapS) || !validWrap(file.wrapT)) {
            refuseModel(what + " has a wrap mode that glTF does not define");
        }
        // -1: the file leaves the filter to us.
        if ((file.minFilter != -1 && !validMinFilter(file.minFilter)) ||
            (file.magFilter != -1 && !validMagFilter(file.magFilter))) {
            refuseModel(what + " has a filter that glTF does not define");
        }
        out.wrapS = file.wrapS;
        out.wrapT = file.wrapT;
        if (file.minFilter != -1) out.minFilter = file.minFilter;
        if (file.magFilter != -1) out.magFilter = file.magFilter;
    }

    int image(int fileImage) {
        const auto known = images_.find(fileImage);
        if (known != images_.end()) return known->second;
        const tinygltf::Image& image = source_.gltf.images[static_cast<std::size_t>(fileImage)];
        std::string what = "image " + std::to_string(fileImage);
        const std::uint8_t* bytes = image.image.data();
        std::size_t size = image.image.size();
        if (image.bufferView >= 0) {
            bytes = bufferViewBytes(source_, image.bufferView, size, what);
        } else if (!image.uri.empty()) {
            what += " (\"" + image.uri.substr(0, kMaxQuotedUri) + "\")";
        }
        if (image.bufferView < 0 && image.image.empty()) {
            const std::string failure = folder_.failureFor(image.uri);
            refuseModel(what + " " + (failure.empty() ? "cannot be read" : failure));
        }
        ModelImage out;
        std::string reason;
        if (!decodeModelImage(bytes, size, source_.budget, out, reason)) refuseModel(what + " " + reason);
        data_.images.push_back(std::move(out));
        return images_[fileImage] = static_cast<int>(data_.images.size() - 1);
    }

    const ModelSource& source_;
    const ModelFolder& folder_;
    ModelData& data_;
    std::map<int, int> textures_;  // file texture to ours
    std::map<int, int> images_;    // file image to ours
};

}  // namespace

void convertMaterials(const ModelSource& source, const ModelFolder& folder, ModelData& data) {
    TextureConversion textures(source, folder, data);
    for (std::size_t materialIndex = 0; materialIndex < source.gltf.materials.size(); ++materialIndex) {
        const tinygltf::Material& material = source.gltf.materials[materialIndex];
        const tinygltf::PbrMetallicRoughness& pbr = material.pbrMetallicRoughness;
        const std::string what = "material " + std::to_string(materialIndex);
        ModelMaterial out;
        out.name = material.name;
        if (pbr.baseColorFactor.size() != kColourComponents) {
            refuseModel(what + "'s base colour factor has " + std::to_string(pbr.baseColorFactor.size()) +
                        " numbers, not 4");
        }
        for (std::size_t i = 0; i < kColourComponents; ++i) {
            out.baseColourFactor[i] = finiteFloat(pbr.baseColorFactor[i], what + "'s base colour factor");
        }
        if (pbr.baseColorTexture.index >= 0) {
            out.baseColourTexture = textures.texture(pbr.baseColorTexture.index, what);
            if (pbr.baseColorTexture.texCoord != 0) {
                source.notes.add("texture coordinate sets other than the first (textures use TEXCOORD_0)");
            }
        }
        out.metallicFactor = finiteFloat(pbr.metallicFactor, what + "'s metallic factor");
        out.roughnessFactor = finiteFloat(pbr.roughnessFactor, what + "'s roughness factor");
        out.alphaMode = readAlphaMode(material.alphaMode, what);
        if (out.alphaMode == AlphaMode::Blend) source.notes.add("alpha mode BLEND (drawn opaque)");
        out.alphaCutoff = finiteFloat(material.alphaCutoff, what + "'s alpha cutoff");
        out.doubleSided = material.doubleSided;
        if (pbr.metallicRoughnessTexture.index >= 0 || material.normalTexture.index >= 0 ||
            material.occlusionTexture.index >= 0 || material.emissiveTexture.index >= 0) {
            source.notes.add("metallic-roughness, normal, occlusion and emissive textures");
        }
        data.materials.push_back(out);
    }
}
