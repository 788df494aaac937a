// Animated character records: the skinned model with its meshes, materials, bones and keyframes.
#pragma once

#include <cstddef>
#include <vector>

#include "math/quaternion.h"
#include "math/vector3.h"

// Colour of a mesh with the two alphas the geometry passes choose between.
struct Material {
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
    float alpha = 0.0f;
    float secondAlpha = 0.0f;
};

// One bone's transform in one animation frame; the inverse is stored beside
// the rotation so that skinning never recomputes it.
struct BoneKeyframe {
    Quaternion rotation;
    Quaternion inverseRotation;
    Vector3 translation;
};

// A bone carries its rest rotation about its pivot and one keyframe per frame.
// No parent link is kept: each bone is animated by its own keyframes alone.
struct Bone {
    Quaternion rotation;
    Quaternion inverseRotation;
    Vector3 pivot;
    std::vector<BoneKeyframe> keyframes;
};

// Up to four bone influences per vertex.
constexpr int kInfluencesPerVertex = 4;

// One triangle mesh of the character: bind pose, influences, skinned copies
// and the five buffer objects that drawing reads.
struct SkinnedMesh {
    int vertexCount = 0;
    std::vector<float> positions;         // 4 floats per vertex, w = 1
    std::vector<float> weights;           // 4 per vertex
    std::vector<int> boneIndices;         // 4 per vertex
    std::vector<float> normals;           // 3 per vertex
    std::vector<float> skinnedPositions;  // 4 per vertex, written by each animation step
    std::vector<float> skinnedNormals;    // 3 per vertex
    int triangleCount = 0;
    std::vector<int> indices;  // 3 per triangle
    int materialIndex = 0;
    unsigned int positionBuffer = 0;
    unsigned int normalBuffer = 0;
    unsigned int weightBuffer = 0;
    unsigned int boneIndexBuffer = 0;
    unsigned int indexBuffer = 0;
    // Which rendering context the buffers belong to (see loadBufferEntryPoints).
    unsigned int bufferContext = 0;

    // Creates and fills the five buffers (needs the buffer entry points).
    void createBuffers();
    // Replaces the two dynamic buffers with the skinned arrays.
    void uploadSkinnedVertices();
    // Deletes the buffers when they belong to the current context; buffers of
    // an earlier context died with it and are only forgotten.
    void releaseBuffers();
    // True when the buffers exist in the current rendering context.
    bool hasBuffers() const;
    // Draws the triangles from the buffers with client-state arrays.
    void draw() const;
};

// Per-bone transform of the frame being skinned, gathered once per step so
// the vertex loop reads one compact record per influence.
struct BonePose {
    Quaternion boneRotation;
    Quaternion boneInverseRotation;
    Vector3 pivot;
    Quaternion keyRotation;
    Quaternion keyInverseRotation;
    Vector3 translation;
};

// The character: meshes, skeleton, keyframes and the playing clip.
class SkinnedModel {
public:
    SkinnedModel() = default;
    // One owner per set of buffer objects: a copy would delete them twice.
    SkinnedModel(const SkinnedModel&) = delete;
    SkinnedModel& operator=(const SkinnedModel&) = delete;

    std::vector<SkinnedMesh> meshes;
    int frameCount = 0;
    int rootCount = 0;
    std::vector<Bone> bones;
    std::vector<Material> materials;
    int currentClip = 0;
    int currentFrame = 0;
    float elapsedSinceStep = 0.0f;

    int meshCount() const { return static_cast<int>(meshes.size()); }
    int boneCount() const { return static_cast<int>(bones.size()); }
    int materialCount() const { return static_cast<int>(materials.size()); }

    // Builds the model afresh from the file; a missing or malformed file is
    // reported in a message box and leaves the model empty.
    void load(const char* fileName);
    // The same from text in memory; sourceName names it in messages. True
    // when the model was built.
    bool loadFromText(const char* text, std::size_t size, const char* sourceName);

    // Advances the animation by the elapsed milliseconds (at most one step).
    void update(float elapsedMilliseconds);
    // Skins every mesh at currentFrame and uploads each mesh's results.
    void skinCurrentFrame();

    // Draws every mesh, optionally in its material colour with either alpha,
    // and leaves the colour at (1, 1, 1, 0).
    void draw(bool setColour, bool setColourSecondAlpha) const;

    // Releases the arrays and the buffer objects; the model is empty
    // afterwards. Scene shutdown calls it while the context is still current;
    // a load calls it too, so a second load never leaks the first.
    void release();

private:
    std::vector<BonePose> poses_;  // one per bone, sized at load
};

// The program's one character.
SkinnedModel& skinnedModel();
