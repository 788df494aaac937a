// The character generator's parts: the shape (skeleton, skinned surfaces, materials), the motion and the writer.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "character/skinned_model.h"
#include "math/quaternion.h"
#include "math/vector3.h"

namespace character_generator {

constexpr float kPi = 3.14159265358979f;
constexpr int kMaxInfluences = kInfluencesPerVertex;

// 0 below 0, 1 above 1, and a smooth S between.
inline float smoothstep(float t) {
    t = t < 0.0f ? 0.0f : (t > 1.0f ? 1.0f : t);
    return t * t * (3.0f - 2.0f * t);
}

// ---------------------------------------------------------------- skeleton

enum BoneId {
    kHips,
    kSpine,
    kChest,
    kNeck,
    kHead,
    kUpperArmL,
    kForearmL,
    kHandL,
    kUpperArmR,
    kForearmR,
    kHandR,
    kThighL,
    kShinL,
    kFootL,
    kThighR,
    kShinR,
    kFootR,
    kBoneCount
};

struct BoneDefinition {
    const char* name;
    int parent;
    Vector3 joint;  // rest position of the joint the bone turns about
};

// Listed depth first, each bone before its children.
std::vector<BoneDefinition> makeSkeleton();

// ---------------------------------------------------------------- surfaces

enum MaterialId { kSkin, kShirt, kTrousers, kShoes, kMaterialCount };

struct MaterialDefinition {
    const char* name;
    float red, green, blue, alpha, secondAlpha;
};

extern const MaterialDefinition kMaterials[kMaterialCount];

struct Influence {
    int bone;
    float weight;
};
using Influences = std::vector<Influence>;

struct Vertex {
    Vector3 position;
    Vector3 normal;
    Influences influences;
    float u = 0.0f, v = 0.0f;
};

struct Triangle {
    int a, b, c;
    int material;
};

struct Part {
    std::vector<Vertex> vertices;
    std::vector<Triangle> triangles;
};

// The closed, skinned surfaces of the figure, wound outward, with vertex
// normals and at most kMaxInfluences influences per vertex.
std::vector<Part> makeParts();

// ---------------------------------------------------------------- motion

struct WorldTransform {
    Quaternion rotation;
    Vector3 joint;
};

// Every keyframe of the clip table: each bone's world rotation and joint position.
std::vector<std::vector<WorldTransform>> makeFrames(const std::vector<BoneDefinition>& skeleton);

// ---------------------------------------------------------------- writer

// Writes materials, one mesh per material, then the skeleton with its
// keyframes; false (with a message) when it could not be written.
bool writeCharacter(std::FILE* file, const std::vector<Part>& parts, const std::vector<BoneDefinition>& skeleton,
                    const std::vector<std::vector<WorldTransform>>& frames);

// ---------------------------------------------------------------- glTF

// Names the character file does not keep: its bones' and materials' names, by number.
struct CharacterNames {
    std::vector<std::string> bones;
    std::vector<std::string> materials;
};

// Writes the character read back from its file as binary glTF 2.0: meshes,
// joints, skin, materials and the four clips as stepped animations; false
// (with a message) when it could not be written.
bool writeMannequinGltf(const char* path, const SkinnedModel& model, const CharacterNames& names);

}  // namespace character_generator
