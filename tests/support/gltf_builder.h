// GltfBuilder: small glTF models built in memory (for tests and fuzz seeds), written as .glb bytes, JSON or files.
#pragma once

#include <tiny_gltf.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class GltfBuilder {
public:
    // The model as tinygltf holds it: tests change any field directly to
    // make the file they need, valid or broken. Buffer 0 holds every view the
    // builder adds.
    tinygltf::Model model;

    GltfBuilder();

    // Appends bytes to buffer 0, at a 4-byte boundary, as a new buffer view.
    int addView(const void* bytes, std::size_t size, std::size_t stride = 0);
    // A tightly packed accessor of type (TINYGLTF_TYPE_SCALAR, _VEC3, ...)
    // over a new view holding values, whose component type is componentType.
    template <typename Value>
    int addAccessor(const std::vector<Value>& values, int componentType, int type, bool normalized = false) {
        const int components = tinygltf::GetNumComponentsInType(static_cast<std::uint32_t>(type));
        return addAccessorOver(addView(values.data(), values.size() * sizeof(Value)), componentType, type,
                               values.size() / static_cast<std::size_t>(components), normalized);
    }
    int addFloats(const std::vector<float>& values, int type) {
        return addAccessor(values, TINYGLTF_COMPONENT_TYPE_FLOAT, type);
    }
    int addAccessorOver(int view, int componentType, int type, std::size_t count, bool normalized = false,
                        std::size_t byteOffset = 0);

    // A primitive with attributes by name ("POSITION", ...) and an optional
    // indices accessor; add it with addMesh.
    static tinygltf::Primitive primitive(const std::map<std::string, int>& attributes, int indices = -1,
                                         int material = -1);
    int addMesh(const std::vector<tinygltf::Primitive>& primitives);
    // One triangle mesh from positions (3 per vertex) and optional 16-bit indices.
    int addTriangleMesh(const std::vector<float>& positions, const std::vector<std::uint16_t>& indices = {});
    int addNode(const tinygltf::Node& node);
    // A node that draws mesh, with children, placed by a translation.
    int addNode(int mesh, const std::vector<int>& children = {}, const std::vector<double>& translation = {});
    // A scene of the given root nodes, made the default one.
    int addScene(const std::vector<int>& roots);
    // A skin over joints (node indices) with one inverse bind matrix per
    // joint (16 floats each, column-major), or none when empty.
    int addSkin(const std::vector<int>& joints, const std::vector<float>& inverseBindMatrices = {});
    // An animation of one channel per entry: node, path ("translation", ...),
    // interpolation, key times and values.
    struct Channel {
        int node;
        std::string path;
        std::string interpolation;
        std::vector<float> times;
        std::vector<float> values;
    };
    int addAnimation(const std::vector<Channel>& channels, const std::string& name = "");
    // An image embedded in a buffer view, or one that a URI names.
    int addEmbeddedImage(const std::vector<unsigned char>& encoded, const std::string& mimeType = "image/png");
    int addImageUri(const std::string& uri);
    int addTexture(int image, int sampler = -1);
    int addMaterial(const tinygltf::Material& material);

    // The model as a binary glTF file.
    std::vector<unsigned char> glb() const;
    // The model as a JSON glTF file, buffer 0 embedded as a data URI.
    std::string gltfText() const;
    // Writes directory/name.gltf with buffer 0 beside it in directory/bufferName.
    void writeGltf(const std::string& directory, const std::string& name, const std::string& bufferName) const;
};

// The PNG encoding of a picture of 8-bit RGBA pixels given top row first.
std::vector<unsigned char> encodePng(int width, int height, const std::vector<std::uint8_t>& rgba);

// A column-major 4 x 4 translation matrix.
std::vector<double> translationMatrix(double x, double y, double z);
