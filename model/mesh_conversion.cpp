// Mesh conversion: glTF meshes into triangle lists with positions, normals, texture coordinates, colours and
// influences.
#include "model/mesh_conversion.h"

#include <algorithm>
#include <limits>
#include <numeric>

#include "model/accessor_reader.h"
#include "model/vertex_attributes.h"

namespace {

constexpr int kTrianglesMode = TINYGLTF_MODE_TRIANGLES;
constexpr int kUnsetMode = -1;  // tinygltf's value when the file names no mode: triangles
constexpr std::size_t kCornersPerTriangle = 3;
constexpr int kColourComponents = 4;
constexpr float kOpaqueAlpha = 1.0f;

// The accessor of an attribute, -1 when the primitive has none.
int attributeAccessor(const tinygltf::Primitive& primitive, const std::string& name) {
    const auto found = primitive.attributes.find(name);
    return found == primitive.attributes.end() ? -1 : found->second;
}

class PrimitiveConversion {
public:
    PrimitiveConversion(const ModelSource& source, const tinygltf::Primitive& primitive, const std::string& where)
        : source_(source), primitive_(primitive), where_(where) {}

    ModelPrimitive convert(int& largestJoint) {
        ModelPrimitive out;
        out.positions = readFloats(source_, attributeAccessor(primitive_, "POSITION"), 3, use("POSITION"));
        const std::size_t vertexCount = out.positions.size() / 3;
        if (vertexCount > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
            refuseModel(where_ + " has more vertices than a mesh may have");
        }
        readIndices(out, vertexCount);
        readNormals(out, vertexCount);
        const int texCoords = attributeAccessor(primitive_, "TEXCOORD_0");
        if (texCoords >= 0) {
            out.texCoords =
                checkedCount(readFloats(source_, texCoords, 2, use("TEXCOORD_0")), 2, vertexCount, "TEXCOORD_0");
        }
        readColours(out, vertexCount);
        readInfluences(out, vertexCount, largestJoint);
        if (primitive_.material >= 0 && !inRange(primitive_.material, source_.gltf.materials)) {
            refuseModel(where_ + " names material " + std::to_string(primitive_.material) + ", which does not exist");
        }
        out.material = primitive_.material;
        return out;
    }

private:
    std::string use(const std::string& attribute) const { return where_ + ": " + attribute; }

    // An attribute must give every vertex a value: as many elements as POSITION.
    std::vector<float> checkedCount(std::vector<float> values, std::size_t width, std::size_t vertexCount,
                                    const std::string& attribute) const {
        if (values.size() != vertexCount * width) {
            refuseModel(use(attribute) + " has " + std::to_string(values.size() / width) + " elements for " +
                        std::to_string(vertexCount) + " vertices");
        }
        return values;
    }

    void readIndices(ModelPrimitive& out, std::size_t vertexCount) const {
        if (primitive_.indices >= 0) {
            out.indices = ::readIndices(source_, primitive_.indices, use("indices"));
            for (std::size_t i = 0; i < out.indices.size(); ++i) {
                if (out.indices[i] >= vertexCount) {
                    refuseModel(use("indices") + " (accessor " + std::to_string(primitive_.indices) + "): index " +
                                std::to_string(i) + " is " + std::to_string(out.indices[i]) + ", past the " +
                                std::to_string(vertexCount) + " vertices");
                }
            }
        } else {
            source_.budget.charge(vertexCount, sizeof(std::uint32_t), use("the implied indices"));
            out.indices.resize(vertexCount);
            std::iota(out.indices.begin(), out.indices.end(), 0u);
        }
        if (out.indices.size() % kCornersPerTriangle != 0) {
            refuseModel(where_ + " has " + std::to_string(out.indices.size()) +
                        " corners, which is not a whole number of triangles");
        }
    }

    void readNormals(ModelPrimitive& out, std::size_t vertexCount) const {
        const int normals = attributeAccessor(primitive_, "NORMAL");
        if (normals < 0) {
            source_.budget.charge(vertexCount, 3 * sizeof(float), use("the smooth normals"));
            out.normals = smoothNormals(out.positions, out.indices);
            return;
        }
        out.normals = checkedCount(readFloats(source_, normals, 3, use("NORMAL")), 3, vertexCount, "NORMAL");
        normaliseNormals(out.normals, out.positions, out.indices);
    }

    // RGB or RGBA; kept as RGBA with alpha 1 for RGB.
    void readColours(ModelPrimitive& out, std::size_t vertexCount) const {
        const int colours = attributeAccessor(primitive_, "COLOR_0");
        if (colours < 0) return;
        const int components = accessorComponents(accessorAt(source_, colours, use("COLOR_0")).type);
        if (components != 3 && components != kColourComponents) {
            refuseModel(use("COLOR_0") + " (accessor " + std::to_string(colours) + ") is neither VEC3 nor VEC4");
        }
        const std::vector<float> values =
            checkedCount(readFloats(source_, colours, components, use("COLOR_0")), components, vertexCount, "COLOR_0");
        if (components == kColourComponents) {
            out.colours = values;
            return;
        }
        source_.budget.charge(vertexCount, kColourComponents * sizeof(float), use("COLOR_0"));
        out.colours.resize(vertexCount * kColourComponents);
        for (std::size_t vertex = 0; vertex < vertexCount; ++vertex) {
            std::copy_n(&values[3 * vertex], 3, &out.colours[kColourComponents * vertex]);
            out.colours[kColourComponents * vertex + 3] = kOpaqueAlpha;
        }
    }

    // Every JOINTS_n / WEIGHTS_n pair from n = 0 up, reduced to four influences per vertex.
    void readInfluences(ModelPrimitive& out, std::size_t vertexCount, int& largestJoint) const {
        std::vector<std::vector<std::uint16_t>> jointSets;
        std::vector<std::vector<float>> weightSets;
        for (int set = 0;; ++set) {
            const std::string jointsName = "JOINTS_" + std::to_string(set);
            const std::string weightsName = "WEIGHTS_" + std::to_string(set);
            const int joints = attributeAccessor(primitive_, jointsName);
            const int weights = attributeAccessor(primitive_, weightsName);
            if (joints < 0 && weights < 0) break;
            if (joints < 0 || weights < 0) {
                refuseModel(
                    where_ + " has " +
                    (joints < 0 ? weightsName + " without " + jointsName : jointsName + " without " + weightsName));
            }
            jointSets.push_back(::readJoints(source_, joints, use(jointsName)));
            if (jointSets.back().size() != vertexCount * 4) {
                refuseModel(use(jointsName) + " has " + std::to_string(jointSets.back().size() / 4) + " elements for " +
                            std::to_string(vertexCount) + " vertices");
            }
            weightSets.push_back(
                checkedCount(readFloats(source_, weights, 4, use(weightsName)), 4, vertexCount, weightsName));
        }
        if (jointSets.empty()) return;
        source_.budget.charge(vertexCount, 4 * (sizeof(std::uint16_t) + sizeof(float)), use("the influences"));
        keepFourLargestInfluences(jointSets, weightSets, vertexCount, out.joints, out.weights);
        for (std::uint16_t joint : out.joints) largestJoint = std::max(largestJoint, static_cast<int>(joint));
    }

    const ModelSource& source_;
    const tinygltf::Primitive& primitive_;
    const std::string where_;
};

}  // namespace

std::vector<MeshJointUse> convertMeshes(const ModelSource& source, ModelData& data) {
    std::vector<MeshJointUse> jointUse(source.gltf.meshes.size(), MeshJointUse{-1, true});
    data.meshes.resize(source.gltf.meshes.size());
    for (std::size_t meshIndex = 0; meshIndex < source.gltf.meshes.size(); ++meshIndex) {
        const tinygltf::Mesh& mesh = source.gltf.meshes[meshIndex];
        ModelMesh& out = data.meshes[meshIndex];
        out.name = mesh.name;
        if (!mesh.weights.empty()) source.notes.add("morph targets (the meshes keep their base shapes)");
        for (std::size_t primitiveIndex = 0; primitiveIndex < mesh.primitives.size(); ++primitiveIndex) {
            const tinygltf::Primitive& primitive = mesh.primitives[primitiveIndex];
            if (!primitive.targets.empty()) source.notes.add("morph targets (the meshes keep their base shapes)");
            if (primitive.mode != kTrianglesMode && primitive.mode != kUnsetMode) {
                source.notes.add("primitives that are not triangle lists (points, lines, strips, fans)");
                continue;
            }
            if (attributeAccessor(primitive, "POSITION") < 0) {
                source.notes.add("primitives without positions");
                continue;
            }
            const std::string where =
                "mesh " + std::to_string(meshIndex) + ", primitive " + std::to_string(primitiveIndex);
            out.primitives.push_back(
                PrimitiveConversion(source, primitive, where).convert(jointUse[meshIndex].largestJoint));
            if (out.primitives.back().joints.empty()) jointUse[meshIndex].everyPrimitiveHasJoints = false;
        }
    }
    return jointUse;
}
