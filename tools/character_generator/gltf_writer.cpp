// The character as a binary glTF 2.0 file: its meshes with skin weights, the bones as joints, the clips as animations.
//
// Written from the model the program reads (the character file loaded back),
// so both files describe one character. The player moves each vertex by
//   d = K.rot (B.rot (p - pivot) B.rot^-1) K.rot^-1 + K.trans
// for each bone B with keyframe K, and draws the result at half size, with no
// composition along the bone tree. In glTF terms that is a joint whose global
// matrix is S(0.5) T(K.trans) R(K.rot) with the inverse bind matrix
// R(B.rot) T(-pivot): every joint is a child of one root node that carries
// the half scale, and each keyframe sets its joint's translation and rotation.
#include <tiny_gltf.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "character/animation.h"
#include "tools/character_generator/character_generator.h"

namespace character_generator {

namespace {

// The player's nominal animation step: each key is shown this long.
constexpr double kSecondsPerKey = kAnimationStepMilliseconds / 1000.0;
// The player draws the file's coordinates at half size.
constexpr double kModelScale = 0.5;
// The lighting reads a material's alpha above one half as a mirror weight and
// its second alpha as the weight of an exponent-80 highlight. In glTF's terms
// the mirror share is metal, and the highlight narrows the lobe from fully
// rough towards this roughness: the exponent-80 Blinn-Phong lobe's, whose
// GGX alpha is sqrt(2 / (80 + 2)) = 0.16, the square of 0.4.
constexpr double kHighlightRoughness = 0.4;
constexpr double kMirrorAlphaThreshold = 0.5;

constexpr int kFloatsPerPosition = 4;  // x, y, z, w in the model's arrays
constexpr int kFloatsPerNormal = 3;
constexpr std::size_t kBufferAlignment = 4;
constexpr int kMaximumJoints = 65536;  // joint numbers are written as unsigned shorts

const char* const kClipNames[kAnimationClipCount] = {"idle", "to wave", "wave", "to idle"};

struct Rotation {
    double x, y, z, w;
};

// glTF rotations are unit quaternions; the file's need not be (the player
// divides by the squared norm in the inverse, which is the same rotation).
Rotation unitRotation(const Quaternion& q) {
    const double norm = std::sqrt(static_cast<double>(q.x) * q.x + static_cast<double>(q.y) * q.y +
                                  static_cast<double>(q.z) * q.z + static_cast<double>(q.w) * q.w);
    return {q.x / norm, q.y / norm, q.z / norm, q.w / norm};
}

// Column-major R(rotation) T(-pivot): the bone's rest rotation about its pivot.
std::vector<float> inverseBindMatrix(const Bone& bone) {
    const Rotation q = unitRotation(bone.rotation);
    const double m[3][3] = {
        {1 - 2 * (q.y * q.y + q.z * q.z), 2 * (q.x * q.y - q.z * q.w), 2 * (q.x * q.z + q.y * q.w)},
        {2 * (q.x * q.y + q.z * q.w), 1 - 2 * (q.x * q.x + q.z * q.z), 2 * (q.y * q.z - q.x * q.w)},
        {2 * (q.x * q.z - q.y * q.w), 2 * (q.y * q.z + q.x * q.w), 1 - 2 * (q.x * q.x + q.y * q.y)},
    };
    const double pivot[3] = {bone.pivot.x, bone.pivot.y, bone.pivot.z};
    std::vector<float> matrix(16, 0.0f);
    for (int row = 0; row < 3; ++row) {
        double moved = 0.0;
        for (int column = 0; column < 3; ++column) {
            matrix[column * 4 + row] = static_cast<float>(m[row][column]);
            moved += m[row][column] * pivot[column];
        }
        matrix[12 + row] = static_cast<float>(-moved);
    }
    matrix[15] = 1.0f;
    return matrix;
}

// Appends arrays to the file's one binary buffer, each in its own view with
// its accessor, and returns the accessor's index.
class BinaryChunk {
public:
    explicit BinaryChunk(tinygltf::Model& gltf) : gltf_(gltf) { gltf_.buffers.emplace_back(); }

    template <typename Value>
    int add(const std::vector<Value>& values, int componentType, int type, int target) {
        std::vector<unsigned char>& bytes = gltf_.buffers[0].data;
        tinygltf::BufferView view;
        view.buffer = 0;
        view.byteOffset = bytes.size();
        view.byteLength = values.size() * sizeof(Value);
        view.target = target;
        const unsigned char* first = reinterpret_cast<const unsigned char*>(values.data());
        bytes.insert(bytes.end(), first, first + view.byteLength);
        bytes.resize((bytes.size() + kBufferAlignment - 1) / kBufferAlignment * kBufferAlignment, 0);
        gltf_.bufferViews.push_back(view);

        tinygltf::Accessor accessor;
        accessor.bufferView = static_cast<int>(gltf_.bufferViews.size()) - 1;
        accessor.componentType = componentType;
        accessor.type = type;
        accessor.count = values.size() / tinygltf::GetNumComponentsInType(type);
        gltf_.accessors.push_back(accessor);
        return static_cast<int>(gltf_.accessors.size()) - 1;
    }

    // Floats with their per-component bounds, which positions and animation
    // times must carry; at least one element.
    int addBounded(const std::vector<float>& values, int type, int target) {
        const int index = add(values, TINYGLTF_COMPONENT_TYPE_FLOAT, type, target);
        tinygltf::Accessor& accessor = gltf_.accessors[index];
        const std::size_t components = tinygltf::GetNumComponentsInType(type);
        for (std::size_t c = 0; c < components; ++c) {
            double low = values[c], high = values[c];
            for (std::size_t i = c + components; i < values.size(); i += components) {
                low = std::min(low, static_cast<double>(values[i]));
                high = std::max(high, static_cast<double>(values[i]));
            }
            accessor.minValues.push_back(low);
            accessor.maxValues.push_back(high);
        }
        return index;
    }

private:
    tinygltf::Model& gltf_;
};

// One vertex's joints and weights as glTF wants them: only positive weights
// (the player skips the rest), one slot per joint, summing to one; unused
// slots hold joint 0 with weight 0. False when no weight is positive. The
// reader has refused bone numbers outside the skeleton.
bool gltfInfluences(const SkinnedMesh& mesh, int vertex, std::uint16_t joints[kInfluencesPerVertex],
                    float weights[kInfluencesPerVertex]) {
    int used = 0;
    double sum = 0.0;
    double merged[kInfluencesPerVertex] = {};
    std::fill(joints, joints + kInfluencesPerVertex, std::uint16_t{0});
    for (int slot = 0; slot < kInfluencesPerVertex; ++slot) {
        const float weight = mesh.weights[vertex * kInfluencesPerVertex + slot];
        if (!(weight > 0.0f)) {
            continue;
        }
        const auto bone = static_cast<std::uint16_t>(mesh.boneIndices[vertex * kInfluencesPerVertex + slot]);
        int at = 0;
        while (at < used && joints[at] != bone) ++at;
        joints[at] = bone;
        merged[at] += weight;
        used = std::max(used, at + 1);
        sum += weight;
    }
    if (used == 0) {
        return false;
    }
    int largest = 0;
    for (int slot = 0; slot < kInfluencesPerVertex; ++slot) {
        weights[slot] = static_cast<float>(merged[slot] / sum);
        largest = weights[slot] > weights[largest] ? slot : largest;
    }
    // Validators add the weights in single precision: the largest absorbs
    // what the rounding left over.
    const float total = ((weights[0] + weights[1]) + weights[2]) + weights[3];
    weights[largest] += 1.0f - total;
    return true;
}

bool addMesh(tinygltf::Model& gltf, BinaryChunk& chunk, const SkinnedMesh& mesh, int meshNumber) {
    if (mesh.vertexCount == 0 || mesh.triangleCount == 0) {
        std::fprintf(stderr, "generate_character: mesh %d has no triangles\n", meshNumber);
        return false;
    }
    std::vector<float> positions, normals, weights;
    std::vector<std::uint16_t> joints;
    for (int v = 0; v < mesh.vertexCount; ++v) {
        positions.insert(positions.end(), &mesh.positions[v * kFloatsPerPosition],
                         &mesh.positions[v * kFloatsPerPosition] + 3);
        const float* n = &mesh.normals[v * kFloatsPerNormal];
        const double length = std::sqrt(static_cast<double>(n[0]) * n[0] + static_cast<double>(n[1]) * n[1] +
                                        static_cast<double>(n[2]) * n[2]);
        if (!(length > 0.0)) {
            std::fprintf(stderr, "generate_character: vertex %d of mesh %d has no normal\n", v, meshNumber);
            return false;
        }
        for (int c = 0; c < 3; ++c) normals.push_back(static_cast<float>(n[c] / length));
        std::uint16_t vertexJoints[kInfluencesPerVertex];
        float vertexWeights[kInfluencesPerVertex];
        if (!gltfInfluences(mesh, v, vertexJoints, vertexWeights)) {
            std::fprintf(stderr, "generate_character: vertex %d of mesh %d has no positive weight\n", v, meshNumber);
            return false;
        }
        joints.insert(joints.end(), vertexJoints, vertexJoints + kInfluencesPerVertex);
        weights.insert(weights.end(), vertexWeights, vertexWeights + kInfluencesPerVertex);
    }
    const std::vector<std::uint32_t> indices(mesh.indices.begin(), mesh.indices.end());

    tinygltf::Primitive primitive;
    primitive.mode = TINYGLTF_MODE_TRIANGLES;
    primitive.material = mesh.materialIndex;
    primitive.attributes["POSITION"] = chunk.addBounded(positions, TINYGLTF_TYPE_VEC3, TINYGLTF_TARGET_ARRAY_BUFFER);
    primitive.attributes["NORMAL"] =
        chunk.add(normals, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3, TINYGLTF_TARGET_ARRAY_BUFFER);
    primitive.attributes["JOINTS_0"] =
        chunk.add(joints, TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT, TINYGLTF_TYPE_VEC4, TINYGLTF_TARGET_ARRAY_BUFFER);
    primitive.attributes["WEIGHTS_0"] =
        chunk.add(weights, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC4, TINYGLTF_TARGET_ARRAY_BUFFER);
    primitive.indices = chunk.add(indices, TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT, TINYGLTF_TYPE_SCALAR,
                                  TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
    tinygltf::Mesh gltfMesh;
    gltfMesh.name = "mannequin_" + gltf.materials[mesh.materialIndex].name;
    gltfMesh.primitives.push_back(primitive);
    gltf.meshes.push_back(gltfMesh);
    return true;
}

void addMaterials(tinygltf::Model& gltf, const SkinnedModel& model, const std::vector<std::string>& names) {
    for (int m = 0; m < model.materialCount(); ++m) {
        const Material& colour = model.materials[m];
        tinygltf::Material material;
        material.name = names[m];
        // The alphas choose the shading, not the coverage: the character is opaque.
        material.pbrMetallicRoughness.baseColorFactor = {colour.red, colour.green, colour.blue, 1.0};
        const double mirror =
            std::clamp((colour.alpha - kMirrorAlphaThreshold) / (1.0 - kMirrorAlphaThreshold), 0.0, 1.0);
        const double glossy = std::clamp(static_cast<double>(colour.secondAlpha), 0.0, 1.0);
        material.pbrMetallicRoughness.metallicFactor = mirror;
        material.pbrMetallicRoughness.roughnessFactor = 1.0 - (1.0 - kHighlightRoughness) * glossy;
        gltf.materials.push_back(material);
    }
}

// Each clip becomes one animation, in clip order, with one stepped key per
// keyframe the clip shows and a closing key that repeats the last one, so a
// viewer that loops the animation over its duration shows every keyframe for
// one step.
void addAnimations(tinygltf::Model& gltf, BinaryChunk& chunk, const SkinnedModel& model) {
    for (int c = 0; c < kAnimationClipCount; ++c) {
        const AnimationClip& clip = kAnimationClips[c];
        std::vector<int> frames;
        for (int frame = clip.firstFrame; frame < clip.endFrame; frame += clip.framesPerStep) frames.push_back(frame);
        frames.push_back(frames.back());
        std::vector<float> times;
        for (std::size_t key = 0; key < frames.size(); ++key) {
            times.push_back(static_cast<float>(static_cast<double>(key) * kSecondsPerKey));
        }
        tinygltf::Animation animation;
        animation.name = kClipNames[c];
        const int input = chunk.addBounded(times, TINYGLTF_TYPE_SCALAR, 0);
        for (int b = 0; b < model.boneCount(); ++b) {
            std::vector<float> translations, rotations;
            for (int frame : frames) {
                const BoneKeyframe& key = model.bones[b].keyframes[frame];
                translations.insert(translations.end(), {key.translation.x, key.translation.y, key.translation.z});
                const Rotation q = unitRotation(key.rotation);
                rotations.insert(rotations.end(), {static_cast<float>(q.x), static_cast<float>(q.y),
                                                   static_cast<float>(q.z), static_cast<float>(q.w)});
            }
            const int outputs[2] = {chunk.add(translations, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3, 0),
                                    chunk.add(rotations, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC4, 0)};
            const char* const paths[2] = {"translation", "rotation"};
            for (int p = 0; p < 2; ++p) {
                tinygltf::AnimationSampler sampler;
                sampler.input = input;
                sampler.output = outputs[p];
                sampler.interpolation = "STEP";
                animation.samplers.push_back(sampler);
                tinygltf::AnimationChannel channel;
                channel.sampler = static_cast<int>(animation.samplers.size()) - 1;
                channel.target_node = b;
                channel.target_path = paths[p];
                animation.channels.push_back(channel);
            }
        }
        gltf.animations.push_back(animation);
    }
}

bool writeBytes(const std::string& bytes, const char* path) {
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) {
        std::perror(path);
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (std::fclose(file) != 0 || !written) {
        std::fprintf(stderr, "generate_character: could not write %s\n", path);
        return false;
    }
    return true;
}

}  // namespace

bool writeMannequinGltf(const char* path, const SkinnedModel& model, const CharacterNames& names) {
    if (names.bones.size() != model.bones.size() || names.materials.size() != model.materials.size()) {
        std::fprintf(stderr, "generate_character: the character read back does not match its skeleton and materials\n");
        return false;
    }
    if (model.boneCount() > kMaximumJoints) {
        std::fprintf(stderr, "generate_character: %d bones are more than glTF's joint numbers here hold\n",
                     model.boneCount());
        return false;
    }
    tinygltf::Model gltf;
    gltf.asset.generator = "lumivor-generate-character";
    BinaryChunk chunk(gltf);
    addMaterials(gltf, model, names.materials);

    // Nodes: the joints first, numbered as the bones, then the root that
    // halves them, then one node per mesh. The mesh nodes stay at the scene's
    // root without a transform: a skinned mesh follows its joints alone.
    const int root = model.boneCount();
    tinygltf::Skin skin;
    skin.name = "mannequin";
    skin.skeleton = root;
    std::vector<float> inverseBindMatrices;
    for (int b = 0; b < model.boneCount(); ++b) {
        // At rest the joint undoes its inverse bind matrix: the bind pose at half size.
        const Bone& bone = model.bones[b];
        const Rotation rest = unitRotation(bone.rotation);
        tinygltf::Node joint;
        joint.name = names.bones[b];
        joint.translation = {bone.pivot.x, bone.pivot.y, bone.pivot.z};
        joint.rotation = {0.0 - rest.x, 0.0 - rest.y, 0.0 - rest.z, rest.w};  // 0 - x: no -0 in the file
        gltf.nodes.push_back(joint);
        skin.joints.push_back(b);
        const std::vector<float> matrix = inverseBindMatrix(bone);
        inverseBindMatrices.insert(inverseBindMatrices.end(), matrix.begin(), matrix.end());
    }
    tinygltf::Node rootNode;
    rootNode.name = "mannequin";
    rootNode.scale = {kModelScale, kModelScale, kModelScale};
    rootNode.children = skin.joints;
    gltf.nodes.push_back(rootNode);
    skin.inverseBindMatrices = chunk.add(inverseBindMatrices, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_MAT4, 0);
    gltf.skins.push_back(skin);

    tinygltf::Scene scene;
    scene.name = "mannequin";
    scene.nodes.push_back(root);
    for (int m = 0; m < model.meshCount(); ++m) {
        if (!addMesh(gltf, chunk, model.meshes[m], m)) {
            return false;
        }
        tinygltf::Node meshNode;
        meshNode.name = gltf.meshes.back().name;
        meshNode.mesh = m;
        meshNode.skin = 0;
        scene.nodes.push_back(static_cast<int>(gltf.nodes.size()));
        gltf.nodes.push_back(meshNode);
    }
    gltf.scenes.push_back(scene);
    gltf.defaultScene = 0;
    addAnimations(gltf, chunk, model);
    gltf.buffers[0].name = "mannequin";

    std::ostringstream stream;
    tinygltf::TinyGLTF writer;
    if (!writer.WriteGltfSceneToStream(&gltf, stream, false, true)) {
        std::fprintf(stderr, "generate_character: could not serialise %s\n", path);
        return false;
    }
    return writeBytes(stream.str(), path);
}

}  // namespace character_generator
