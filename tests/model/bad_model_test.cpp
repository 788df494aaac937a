// Model loader on bad files: each refused with a cause naming the file and what is wrong, nothing read outside it.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <limits>

#include "model/model_loader.h"
#include "support/gltf_builder.h"
#include "support/scratch_directory.h"

namespace {

using Bytes = std::vector<unsigned char>;
constexpr int kVec3 = TINYGLTF_TYPE_VEC3;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// Accessors 0 (positions) and 1 (indices), mesh 0, node 0, scene 0.
GltfBuilder triangle(const std::vector<float>& positions = {0, 0, 0, 1, 0, 0, 0, 1, 0},
                     const std::vector<std::uint16_t>& indices = {0, 1, 2}) {
    GltfBuilder b;
    b.addScene({b.addNode(b.addTriangleMesh(positions, indices))});
    return b;
}

std::string text(const Bytes& bytes) { return {bytes.begin(), bytes.end()}; }

// Writes the file of one case into the scratch directory and answers its path.
using Writer = std::function<std::string(const ScratchDirectory&)>;

Writer glb(const std::function<void(GltfBuilder&)>& change) {
    return [change](const ScratchDirectory& directory) {
        GltfBuilder b = triangle();
        change(b);
        directory.writeFile("model.glb", text(b.glb()));
        return directory.file("model.glb");
    };
}

Writer glbBytes(const std::function<void(Bytes&)>& change) {
    return [change](const ScratchDirectory& directory) {
        Bytes bytes = triangle().glb();
        change(bytes);
        directory.writeFile("model.glb", text(bytes));
        return directory.file("model.glb");
    };
}

// The triangle as JSON with one edit: the first occurrence of from becomes to.
Writer gltfEdit(const std::string& from, const std::string& to) {
    return [from, to](const ScratchDirectory& directory) {
        std::string json = triangle().gltfText();
        const std::size_t at = json.find(from);
        if (at != std::string::npos) json.replace(at, from.size(), to);
        directory.writeFile("model.gltf", json);
        return directory.file("model.gltf");
    };
}

// The triangle in folder "model/" with its buffer under the URI given. A
// secret.bin beside that folder holds exactly the buffer: were it opened,
// the model would load.
Writer bufferUri(const std::function<std::string(const ScratchDirectory&)>& uri) {
    return [uri](const ScratchDirectory& directory) {
        const GltfBuilder b = triangle();
        std::filesystem::create_directory(directory.file("model"));
        directory.writeFile("secret.bin", text(b.model.buffers[0].data));
        std::filesystem::create_symlink("../secret.bin", directory.file("model/link.bin"));
        b.writeGltf(directory.file("model"), "model.gltf", "model.bin");
        std::filesystem::remove(directory.file("model/model.bin"));
        std::string json = directory.readFile("model/model.gltf");
        json.replace(json.find("model.bin"), 9, uri(directory));
        directory.writeFile("model/model.gltf", json);
        return directory.file("model/model.gltf");
    };
}

Writer fixedUri(const std::string& uri) {
    return bufferUri([uri](const ScratchDirectory&) { return uri; });
}

// The triangle textured with an image under the URI given, written beside it as image.png.
Writer imageFile(const std::string& uri, const Bytes& image) {
    return [uri, image](const ScratchDirectory& directory) {
        GltfBuilder b = triangle();
        tinygltf::Material material;
        material.pbrMetallicRoughness.baseColorTexture.index = b.addTexture(b.addImageUri(uri));
        b.model.meshes[0].primitives[0].material = b.addMaterial(material);
        directory.writeFile("image.png", text(image));
        b.writeGltf(directory.path(), "model.gltf", "model.bin");
        return directory.file("model.gltf");
    };
}

void setLittleEndian32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

std::uint32_t littleEndian32(const Bytes& bytes, std::size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

// A skinned triangle whose vertex 2 uses joint `joint` of a skin over the given nodes.
void skinTriangle(GltfBuilder& b, std::uint8_t joint, const std::vector<int>& jointNodes) {
    tinygltf::Primitive& primitive = b.model.meshes[0].primitives[0];
    primitive.attributes["JOINTS_0"] = b.addAccessor(std::vector<std::uint8_t>{0, 0, 0, 0, 0, 0, 0, 0, joint, 0, 0, 0},
                                                     TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE, TINYGLTF_TYPE_VEC4);
    primitive.attributes["WEIGHTS_0"] = b.addFloats({1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}, TINYGLTF_TYPE_VEC4);
    b.model.nodes[0].skin = b.addSkin(jointNodes);
}

// count empty JSON objects, "{},{},...".
std::string emptyObjects(int count) {
    std::string objects = "{}";
    for (int i = 1; i < count; ++i) objects += ",{}";
    return objects;
}

struct BadFile {
    const char* name;
    Writer write;
    const char* cause;  // a part of the cause that says what is wrong
};

const BadFile kBadFiles[] = {
    {"Missing", [](const ScratchDirectory& d) { return d.file("absent.glb"); }, "missing"},
    {"NotGltf",
     [](const ScratchDirectory& d) {
         d.writeFile("picture.glb", text(encodePng(1, 1, {0, 0, 0, 255})));
         return d.file("picture.glb");
     },
     "not a glTF file"},
    {"BrokenJson", gltfEdit("\"asset\"", "\"asset\" 7"), "not valid glTF"},
    {"VersionOne", gltfEdit("\"2.0\"", "\"1.0\""), "only version 2"},
    {"ShorterThanItsHeader", glbBytes([](Bytes& b) { b.resize(10); }), "shorter than the binary glTF header"},
    {"LongerHeaderLength", glbBytes([](Bytes& b) { setLittleEndian32(b, 8, littleEndian32(b, 8) + 4); }),
     "the header gives a length"},
    {"JsonChunkPastTheEnd", glbBytes([](Bytes& b) { setLittleEndian32(b, 12, 1u << 20); }), "the JSON chunk"},
    {"BinChunkPastTheEnd",
     glbBytes([](Bytes& b) { setLittleEndian32(b, 20 + littleEndian32(b, 12), static_cast<std::uint32_t>(b.size())); }),
     "the BIN chunk"},
    {"AccessorPastItsView", glb([](GltfBuilder& b) { b.model.accessors[0].count = 4; }),
     "reads past the end of buffer view 0"},
    {"AccessorOffsetPastItsView", glb([](GltfBuilder& b) { b.model.accessors[0].byteOffset = 4; }),
     "reads past the end of buffer view 0"},
    {"ViewPastItsBuffer", glb([](GltfBuilder& b) { b.model.bufferViews[1].byteLength = 1000; }),
     "lies outside buffer 0"},
    {"StrideSmallerThanTheElement", glb([](GltfBuilder& b) { b.model.bufferViews[0].byteStride = 8; }),
     "smaller than its elements of 12 bytes"},
    {"HugeCountWithoutAView", glb([](GltfBuilder& b) {
         b.model.accessors[0].bufferView = -1;
         b.model.accessors[0].count = std::size_t{1} << 40;
     }),
     "more memory than a model may take"},
    {"HugeCountInAView", glb([](GltfBuilder& b) { b.model.accessors[0].count = std::size_t{1} << 62; }),
     "reads past the end of buffer view 0"},
    {"SparseIndexPastTheCount", glb([](GltfBuilder& b) {
         tinygltf::Accessor& positions = b.model.accessors[0];
         positions.sparse.isSparse = true;
         positions.sparse.count = 1;
         positions.sparse.indices = {0, b.addView("\x07", 1), TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE};
         positions.sparse.values = {0, 0};
     }),
     "sparse indices name element 7 of 3"},
    {"IndexPastTheVertices", glb([](GltfBuilder& b) {
         b = triangle({0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 3});
     }),
     "is 3, past the 3 vertices"},
    {"WrongAccessorType", glb([](GltfBuilder& b) { b.model.accessors[0].type = TINYGLTF_TYPE_VEC2; }),
     "is VEC2, not VEC3"},
    {"AttributeCountsDiffer", glb([](GltfBuilder& b) {
         b.model.meshes[0].primitives[0].attributes["NORMAL"] = b.addFloats({0, 0, 1}, kVec3);
     }),
     "has 1 elements for 3 vertices"},
    {"JointPastTheSkin", glb([](GltfBuilder& b) {
         skinTriangle(b, 2, {0, 0});
     }),
     "uses joint 2"},
    {"SkinJointNodeMissing", glb([](GltfBuilder& b) {
         skinTriangle(b, 0, {0, 9});
     }),
     "names node 9 as a joint"},
    {"ChildMissing", glb([](GltfBuilder& b) { b.model.nodes[0].children = {5}; }), "has child 5"},
    {"HierarchyCycle", glb([](GltfBuilder& b) {
         b.addNode(-1, {2});
         b.addNode(-1, {1});
     }),
     "cycle through node 1"},
    {"TwoParents", glb([](GltfBuilder& b) {
         const int child = b.addNode(-1);
         b.model.nodes[0].children = {child};
         b.addNode(-1, {child});
     }),
     "node 1 has two parents"},
    {"NotANumberPosition", glb([](GltfBuilder& b) {
         b = triangle({0, 0, 0, kNaN, 0, 0, 0, 1, 0});
     }),
     "POSITION (accessor 0) holds a value that is not finite"},
    {"MatrixBeyondFloats", gltfEdit("\"nodes\":[{", "\"nodes\":[{\"matrix\":[1e300,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1],"),
     "node 0's matrix holds a number that is not a finite float"},
    {"KeyTimesGoingBack", glb([](GltfBuilder& b) {
         b.addAnimation({{0, "translation", "LINEAR", {1, 0}, {0, 0, 0, 1, 0, 0}}});
     }),
     "key times go back (key 1 comes before key 0)"},
    {"ImageNotDecoding", imageFile("image.png", Bytes(64, 7)), "(\"image.png\") is neither PNG nor JPEG"},
    {"ImageMissing", imageFile("other.png", encodePng(1, 1, {1, 2, 3, 4})),
     "(\"other.png\") is missing from the model's folder"},
    {"BufferMissing", fixedUri("absent.bin"), "\"absent.bin\" is missing from the model's folder"},
    {"BufferInTheParentFolder", fixedUri("../secret.bin"), "leads outside the model's folder"},
    {"BufferPercentEncodedParent", fixedUri("%2E%2E/secret.bin"), "leads outside the model's folder"},
    {"BufferAbsolutePath", bufferUri([](const ScratchDirectory& d) { return d.file("secret.bin"); }),
     "is an absolute path"},
    {"BufferThroughALink", fixedUri("link.bin"), "through a link"},
    {"RequiresDraco", glb([](GltfBuilder& b) { b.model.extensionsRequired = {"KHR_draco_mesh_compression"}; }),
     "requires the extension KHR_draco_mesh_compression"},
    // Each object becomes a record of up to 2 KB in the parser: half a million
    // are more than a model may take, though the text is only 1.5 MB.
    {"TooManyJsonObjects",
     [](const ScratchDirectory& d) {
         return gltfEdit("\"asset\"", "\"extras\":[" + emptyObjects(500000) + "],\"asset\"")(d);
     },
     "the JSON's objects would need more memory"},
    {"JsonNestedTooDeep",
     gltfEdit("\"asset\"", "\"extras\":" + std::string(100, '[') + std::string(100, ']') + ",\"asset\""),
     "nests deeper than 64 levels"},
};

// One test over the whole table: each file in a scratch directory of its own, each failure naming its case.
TEST(BadModelTest, EveryBadFileIsRefusedWithACauseNamingTheFile) {
    for (const BadFile& file : kBadFiles) {
        SCOPED_TRACE(file.name);
        const ScratchDirectory directory;
        const std::string path = file.write(directory);
        ModelData data;
        data.sourceName = "untouched";
        std::string cause;
        EXPECT_FALSE(loadModel(path, data, cause));
        EXPECT_EQ(cause.rfind(path + ": ", 0), 0u) << cause;
        EXPECT_NE(cause.find(file.cause), std::string::npos) << cause;
        EXPECT_EQ(data.sourceName, "untouched");
    }
}

}  // namespace
