// GltfBuilder: small glTF models built in memory (for tests and fuzz seeds), written as .glb bytes, JSON or files.
#include "support/gltf_builder.h"

#include <FreeImage.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

constexpr std::size_t kViewAlignment = 4;
constexpr int kChannels = 4;

// Images keep the URI or buffer view they were given: the writer never encodes pixels itself.
bool keepImageAsGiven(const std::string*, const std::string*, const tinygltf::Image*, bool, std::string*, void*) {
    return false;
}

// Writes the model; an empty buffer 0 is left out (a binary file may not have an empty BIN chunk).
void write(tinygltf::Model model, std::ostream& stream, bool binary) {
    if (model.buffers[0].data.empty()) model.buffers.erase(model.buffers.begin());
    tinygltf::TinyGLTF writer;
    writer.SetImageWriter(&keepImageAsGiven, nullptr);
    writer.WriteGltfSceneToStream(&model, stream, false, binary);
}

}  // namespace

GltfBuilder::GltfBuilder() {
    model.asset.version = "2.0";
    model.buffers.emplace_back();
}

int GltfBuilder::addView(const void* bytes, std::size_t size, std::size_t stride) {
    std::vector<unsigned char>& data = model.buffers[0].data;
    data.resize((data.size() + kViewAlignment - 1) / kViewAlignment * kViewAlignment);
    tinygltf::BufferView view;
    view.buffer = 0;
    view.byteOffset = data.size();
    view.byteLength = size;
    view.byteStride = stride;
    data.resize(data.size() + size);
    if (size > 0) std::memcpy(data.data() + view.byteOffset, bytes, size);
    model.bufferViews.push_back(view);
    return static_cast<int>(model.bufferViews.size() - 1);
}

int GltfBuilder::addAccessorOver(int view, int componentType, int type, std::size_t count, bool normalized,
                                 std::size_t byteOffset) {
    tinygltf::Accessor accessor;
    accessor.bufferView = view;
    accessor.byteOffset = byteOffset;
    accessor.componentType = componentType;
    accessor.type = type;
    accessor.count = count;
    accessor.normalized = normalized;
    model.accessors.push_back(accessor);
    return static_cast<int>(model.accessors.size() - 1);
}

tinygltf::Primitive GltfBuilder::primitive(const std::map<std::string, int>& attributes, int indices, int material) {
    tinygltf::Primitive primitive;
    primitive.attributes = attributes;
    primitive.indices = indices;
    primitive.material = material;
    primitive.mode = TINYGLTF_MODE_TRIANGLES;
    return primitive;
}

int GltfBuilder::addMesh(const std::vector<tinygltf::Primitive>& primitives) {
    tinygltf::Mesh mesh;
    mesh.primitives = primitives;
    model.meshes.push_back(mesh);
    return static_cast<int>(model.meshes.size() - 1);
}

int GltfBuilder::addTriangleMesh(const std::vector<float>& positions, const std::vector<std::uint16_t>& indices) {
    const int positionAccessor = addFloats(positions, TINYGLTF_TYPE_VEC3);
    const int indexAccessor =
        indices.empty() ? -1 : addAccessor(indices, TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT, TINYGLTF_TYPE_SCALAR);
    return addMesh({primitive({{"POSITION", positionAccessor}}, indexAccessor)});
}

int GltfBuilder::addNode(const tinygltf::Node& node) {
    model.nodes.push_back(node);
    // The writer turns a node with nothing to say into null, which no reader takes.
    if (node.name.empty()) model.nodes.back().name = "node " + std::to_string(model.nodes.size() - 1);
    return static_cast<int>(model.nodes.size() - 1);
}

int GltfBuilder::addNode(int mesh, const std::vector<int>& children, const std::vector<double>& translation) {
    tinygltf::Node node;
    node.mesh = mesh;
    node.children = children;
    node.translation = translation;
    return addNode(node);
}

int GltfBuilder::addScene(const std::vector<int>& roots) {
    tinygltf::Scene scene;
    scene.nodes = roots;
    model.scenes.push_back(scene);
    model.defaultScene = static_cast<int>(model.scenes.size() - 1);
    return model.defaultScene;
}

int GltfBuilder::addSkin(const std::vector<int>& joints, const std::vector<float>& inverseBindMatrices) {
    tinygltf::Skin skin;
    skin.joints = joints;
    if (!inverseBindMatrices.empty()) skin.inverseBindMatrices = addFloats(inverseBindMatrices, TINYGLTF_TYPE_MAT4);
    model.skins.push_back(skin);
    return static_cast<int>(model.skins.size() - 1);
}

int GltfBuilder::addAnimation(const std::vector<Channel>& channels, const std::string& name) {
    tinygltf::Animation animation;
    animation.name = name;
    for (const Channel& channel : channels) {
        tinygltf::AnimationSampler sampler;
        sampler.input = addFloats(channel.times, TINYGLTF_TYPE_SCALAR);
        sampler.output =
            addFloats(channel.values, channel.path == "rotation" ? TINYGLTF_TYPE_VEC4 : TINYGLTF_TYPE_VEC3);
        sampler.interpolation = channel.interpolation;
        animation.samplers.push_back(sampler);
        tinygltf::AnimationChannel target;
        target.sampler = static_cast<int>(animation.samplers.size() - 1);
        target.target_node = channel.node;
        target.target_path = channel.path;
        animation.channels.push_back(target);
    }
    model.animations.push_back(animation);
    return static_cast<int>(model.animations.size() - 1);
}

int GltfBuilder::addEmbeddedImage(const std::vector<unsigned char>& encoded, const std::string& mimeType) {
    tinygltf::Image image;
    image.bufferView = addView(encoded.data(), encoded.size());
    image.mimeType = mimeType;
    model.images.push_back(image);
    return static_cast<int>(model.images.size() - 1);
}

int GltfBuilder::addImageUri(const std::string& uri) {
    tinygltf::Image image;
    image.uri = uri;
    model.images.push_back(image);
    return static_cast<int>(model.images.size() - 1);
}

int GltfBuilder::addTexture(int image, int sampler) {
    tinygltf::Texture texture;
    texture.source = image;
    texture.sampler = sampler;
    model.textures.push_back(texture);
    return static_cast<int>(model.textures.size() - 1);
}

int GltfBuilder::addMaterial(const tinygltf::Material& material) {
    model.materials.push_back(material);
    return static_cast<int>(model.materials.size() - 1);
}

std::vector<unsigned char> GltfBuilder::glb() const {
    std::ostringstream stream;
    write(model, stream, true);
    const std::string bytes = stream.str();
    return {bytes.begin(), bytes.end()};
}

std::string GltfBuilder::gltfText() const {
    std::ostringstream stream;
    write(model, stream, false);
    return stream.str();
}

void GltfBuilder::writeGltf(const std::string& directory, const std::string& name,
                            const std::string& bufferName) const {
    tinygltf::Model copy = model;
    copy.buffers[0].uri = bufferName;
    tinygltf::TinyGLTF writer;
    writer.SetImageWriter(&keepImageAsGiven, nullptr);
    if (!writer.WriteGltfSceneToFile(&copy, directory + "/" + name, false, false, true, false)) {
        throw std::runtime_error("cannot write " + directory + "/" + name);
    }
}

std::vector<unsigned char> encodePng(int width, int height, const std::vector<std::uint8_t>& rgba) {
    FIBITMAP* bitmap = FreeImage_Allocate(width, height, 32);
    for (int row = 0; row < height; ++row) {
        // FreeImage keeps the bottom row first.
        BYTE* target = FreeImage_GetScanLine(bitmap, height - 1 - row);
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* pixel = &rgba[(static_cast<std::size_t>(row) * width + x) * kChannels];
            target[kChannels * x + FI_RGBA_RED] = pixel[0];
            target[kChannels * x + FI_RGBA_GREEN] = pixel[1];
            target[kChannels * x + FI_RGBA_BLUE] = pixel[2];
            target[kChannels * x + FI_RGBA_ALPHA] = pixel[3];
        }
    }
    FIMEMORY* memory = FreeImage_OpenMemory();
    FreeImage_SaveToMemory(FIF_PNG, bitmap, memory, PNG_DEFAULT);
    BYTE* bytes = nullptr;
    DWORD size = 0;
    FreeImage_AcquireMemory(memory, &bytes, &size);
    std::vector<unsigned char> png(bytes, bytes + size);
    FreeImage_CloseMemory(memory);
    FreeImage_Unload(bitmap);
    return png;
}

std::vector<double> translationMatrix(double x, double y, double z) {
    return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1};
}
