// Model files: ModelData through GltfBuilder into .glb bytes or .gltf, .bin and .png files.
#include "support/model_files.h"

#include <fstream>
#include <stdexcept>

namespace {

const char* const kPaths[] = {"translation", "rotation", "scale"};
const char* const kInterpolations[] = {"STEP", "LINEAR", "CUBICSPLINE"};
const char* const kAlphaModes[] = {"OPAQUE", "MASK", "BLEND"};

std::vector<double> doubles(const float* values, std::size_t count) { return {values, values + count}; }

int addPrimitiveMesh(GltfBuilder& b, const ModelMesh& mesh) {
    std::vector<tinygltf::Primitive> primitives;
    for (const ModelPrimitive& p : mesh.primitives) {
        std::map<std::string, int> attributes = {{"POSITION", b.addFloats(p.positions, TINYGLTF_TYPE_VEC3)},
                                                 {"NORMAL", b.addFloats(p.normals, TINYGLTF_TYPE_VEC3)}};
        if (!p.texCoords.empty()) attributes["TEXCOORD_0"] = b.addFloats(p.texCoords, TINYGLTF_TYPE_VEC2);
        if (!p.colours.empty()) attributes["COLOR_0"] = b.addFloats(p.colours, TINYGLTF_TYPE_VEC4);
        if (!p.joints.empty()) {
            attributes["JOINTS_0"] =
                b.addAccessor(p.joints, TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT, TINYGLTF_TYPE_VEC4);
            attributes["WEIGHTS_0"] = b.addFloats(p.weights, TINYGLTF_TYPE_VEC4);
        }
        const int indices = b.addAccessor(p.indices, TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT, TINYGLTF_TYPE_SCALAR);
        primitives.push_back(GltfBuilder::primitive(attributes, indices, p.material));
    }
    const int index = b.addMesh(primitives);
    b.model.meshes[index].name = mesh.name;
    return index;
}

void addMaterials(GltfBuilder& b, const ModelData& data, bool imageFiles, const std::string& name) {
    for (std::size_t i = 0; i < data.images.size(); ++i) {
        const ModelImage& image = data.images[i];
        if (imageFiles) {
            b.addImageUri(name + "-" + std::to_string(i) + ".png");
        } else {
            b.addEmbeddedImage(encodePng(image.width, image.height, image.rgba));
        }
    }
    for (const ModelTexture& texture : data.textures) {
        tinygltf::Sampler sampler;
        sampler.wrapS = texture.wrapS, sampler.wrapT = texture.wrapT;
        sampler.minFilter = texture.minFilter, sampler.magFilter = texture.magFilter;
        b.model.samplers.push_back(sampler);
        b.addTexture(texture.image, static_cast<int>(b.model.samplers.size() - 1));
    }
    for (const ModelMaterial& m : data.materials) {
        tinygltf::Material material;
        material.name = m.name.empty() ? "material" : m.name;
        material.pbrMetallicRoughness.baseColorFactor = doubles(m.baseColourFactor.data(), 4);
        material.pbrMetallicRoughness.baseColorTexture.index = m.baseColourTexture;
        material.pbrMetallicRoughness.metallicFactor = m.metallicFactor;
        material.pbrMetallicRoughness.roughnessFactor = m.roughnessFactor;
        material.alphaMode = kAlphaModes[static_cast<int>(m.alphaMode)];
        material.alphaCutoff = m.alphaCutoff;
        material.doubleSided = m.doubleSided;
        b.addMaterial(material);
    }
}

GltfBuilder build(const ModelData& data, bool imageFiles, const std::string& name) {
    GltfBuilder b;
    for (const ModelMesh& mesh : data.meshes) addPrimitiveMesh(b, mesh);
    for (const ModelNode& n : data.nodes) {
        tinygltf::Node node;
        node.name = n.name;
        node.mesh = n.mesh;
        node.skin = n.skin;
        node.children = n.children;
        if (n.hasMatrix) {
            node.matrix = doubles(n.matrix.data(), 16);
        } else {
            node.translation = doubles(n.translation.data(), 3);
            node.rotation = doubles(n.rotation.data(), 4);
            node.scale = doubles(n.scale.data(), 3);
        }
        b.addNode(node);
    }
    b.addScene(data.sceneRoots);
    for (const ModelSkin& skin : data.skins) {
        std::vector<float> matrices;
        for (const Matrix4& m : skin.inverseBindMatrices) matrices.insert(matrices.end(), m.begin(), m.end());
        b.addSkin(skin.joints, matrices);
    }
    for (const ModelAnimation& animation : data.animations) {
        std::vector<GltfBuilder::Channel> channels;
        for (const ModelChannel& c : animation.channels) {
            channels.push_back({c.node, kPaths[static_cast<int>(c.path)],
                                kInterpolations[static_cast<int>(c.interpolation)], c.times, c.values});
        }
        b.addAnimation(channels, animation.name);
    }
    addMaterials(b, data, imageFiles, name);
    return b;
}

void writeBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!file) throw std::runtime_error("cannot write " + path);
}

}  // namespace

GltfBuilder gltfOf(const ModelData& data) { return build(data, false, ""); }

void writeGlb(const ModelData& data, const std::string& path) { writeBytes(path, gltfOf(data).glb()); }

void writeGltfFiles(const ModelData& data, const std::string& directory, const std::string& name) {
    build(data, true, name).writeGltf(directory, name + ".gltf", name + ".bin");
    for (std::size_t i = 0; i < data.images.size(); ++i) {
        const ModelImage& image = data.images[i];
        writeBytes(directory + "/" + name + "-" + std::to_string(i) + ".png",
                   encodePng(image.width, image.height, image.rgba));
    }
}
