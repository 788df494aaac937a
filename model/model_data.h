// Model data: a glTF 2.0 scene as plain, checked arrays (nodes, meshes, skins, animations, materials, images); no GL.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// A 4 x 4 matrix in column-major order, as glTF and GL store it.
using Matrix4 = std::array<float, 16>;

constexpr Matrix4 kIdentityMatrix4 = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// A node of the hierarchy with its rest transform: a matrix, or translation,
// rotation and scale (an animation replaces those three, never a matrix).
struct ModelNode {
    std::string name;
    int parent = -1;  // -1 for a root
    std::vector<int> children;
    bool hasMatrix = false;
    Matrix4 matrix = kIdentityMatrix4;
    std::array<float, 3> translation = {0.0f, 0.0f, 0.0f};
    std::array<float, 4> rotation = {0.0f, 0.0f, 0.0f, 1.0f};  // x, y, z, w
    std::array<float, 3> scale = {1.0f, 1.0f, 1.0f};
    int mesh = -1;  // index into ModelData::meshes, -1 without one
    int skin = -1;  // index into ModelData::skins, -1 without one
};

// One triangle list. Every per-vertex array is either empty or has exactly
// vertexCount() entries of its width; every index is below vertexCount().
// Floats per vertex colour (RGBA) in a primitive and in a prepared model.
constexpr int kColourComponents = 4;

struct ModelPrimitive {
    std::vector<float> positions;        // 3 per vertex, all finite
    std::vector<float> normals;          // 3 per vertex, unit length (computed smooth when the file has none)
    std::vector<float> texCoords;        // 2 per vertex (TEXCOORD_0), empty without
    std::vector<float> colours;          // 4 per vertex (COLOR_0, alpha 1 when the file gives RGB), empty without
    std::vector<std::uint16_t> joints;   // 4 per vertex, indices into the skin's joints, empty when not skinned
    std::vector<float> weights;          // 4 per vertex: the four largest influences, summing to 1
    std::vector<std::uint32_t> indices;  // 3 per triangle (0, 1, 2, ... for a primitive without indices)
    int material = -1;                   // index into ModelData::materials, -1 for the default material

    int vertexCount() const { return static_cast<int>(positions.size() / 3); }
    int triangleCount() const { return static_cast<int>(indices.size() / 3); }
};

struct ModelMesh {
    std::string name;
    std::vector<ModelPrimitive> primitives;  // triangle primitives only
};

struct ModelSkin {
    std::vector<int> joints;                   // node indices
    std::vector<Matrix4> inverseBindMatrices;  // one per joint (identity when the file gives none)
};

enum class AlphaMode { Opaque, Mask, Blend };

// The metallic-roughness material, as far as the G-buffer carries it.
struct ModelMaterial {
    std::string name;
    std::array<float, 4> baseColourFactor = {1.0f, 1.0f, 1.0f, 1.0f};
    int baseColourTexture = -1;  // index into ModelData::textures, -1 without one
    float metallicFactor = 1.0f;
    float roughnessFactor = 1.0f;
    AlphaMode alphaMode = AlphaMode::Opaque;
    float alphaCutoff = 0.5f;
    bool doubleSided = false;
};

// An image decoded to 8-bit RGBA, top row first (so glTF's texture
// coordinates address it unchanged once uploaded row by row).
struct ModelImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;  // 4 per pixel
};

// A texture: its image and its sampler, with glTF's (GL's) enum values.
struct ModelTexture {
    int image = -1;      // index into ModelData::images
    int wrapS = 0x2901;  // GL_REPEAT
    int wrapT = 0x2901;
    int minFilter = 0x2703;  // GL_LINEAR_MIPMAP_LINEAR when the sampler leaves it open
    int magFilter = 0x2601;  // GL_LINEAR
};

enum class AnimationPath { Translation, Rotation, Scale };
enum class Interpolation { Step, Linear, CubicSpline };

// One animated property of one node. values holds 3 (translation, scale) or
// 4 (rotation x, y, z, w) floats per key; for CUBICSPLINE each key holds
// in-tangent, value and out-tangent in that order.
struct ModelChannel {
    int node = -1;
    AnimationPath path = AnimationPath::Translation;
    Interpolation interpolation = Interpolation::Linear;
    std::vector<float> times;  // seconds, non-decreasing, finite
    std::vector<float> values;
};

struct ModelAnimation {
    std::string name;
    std::vector<ModelChannel> channels;
    float duration = 0.0f;  // the latest key time of any channel
};

struct ModelData {
    std::string sourceName;  // the file's name, for messages
    std::vector<ModelNode> nodes;
    std::vector<int> sceneRoots;  // the default scene's (or the first scene's) root nodes
    std::vector<ModelMesh> meshes;
    std::vector<ModelSkin> skins;
    std::vector<ModelAnimation> animations;
    std::vector<ModelMaterial> materials;
    std::vector<ModelTexture> textures;
    std::vector<ModelImage> images;
};
