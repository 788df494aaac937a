// Character file reader: builds the SkinnedModel's materials, meshes, buffers, bones and keyframes from the text.
#include <cmath>
#include <cstdint>
#include <new>
#include <string>
#include <vector>

#include "character/animation.h"
#include "character/model_tokens.h"
#include "character/skinned_model.h"
#include "platform/file_bytes.h"
#include "platform/platform_services.h"

namespace {

// The least number of tokens each record of the file takes, used to refuse
// counts the rest of the file cannot possibly hold before allocating for them.
constexpr std::size_t kTokensPerMaterial = 6;    // name and five reals
constexpr std::size_t kTokensPerMesh = 5;        // material, vertex count, two reals, triangle count
constexpr std::size_t kTokensPerVertex = 9;      // position, influence count, normal, texture coordinates
constexpr std::size_t kTokensPerInfluence = 3;   // bone number, name, weight
constexpr std::size_t kTokensPerTriangle = 9;    // three indices and six reals
constexpr std::size_t kTokensPerKeyframe = 7;    // rotation and translation
constexpr std::size_t kTokensPerBoneHeader = 9;  // name, child count, rotation, pivot
constexpr std::size_t kFloatsPerPosition = 4;
constexpr std::size_t kFloatsPerNormal = 3;
constexpr std::size_t kIndicesPerTriangle = 3;

// Reads a count that must be non-negative and that the rest of the text can
// hold, each item taking at least tokensPerItem tokens.
int readCount(ModelTokens& tokens, const char* what, std::size_t tokensPerItem) {
    const int count = tokens.readInt(what);
    if (count < 0) {
        tokens.fail(std::string(what) + " at " + tokens.lastTokenPlace() + " is negative (" + std::to_string(count) +
                    ")");
    }
    if (tokensPerItem > 0 && static_cast<std::size_t>(count) > tokens.maximumTokensLeft() / tokensPerItem) {
        tokens.fail(std::string(what) + " at " + tokens.lastTokenPlace() + " is " + std::to_string(count) +
                    ", more than the rest of the file can hold");
    }
    return count;
}

// A rotation in the file's order w, x, y, z, kept x, y, z, w.
Quaternion readRotation(ModelTokens& tokens, const char* what) {
    const float w = tokens.readReal(what);
    const float x = tokens.readReal(what);
    const float y = tokens.readReal(what);
    const float z = tokens.readReal(what);
    return {x, y, z, w};
}

// Stores the rotation with its inverse; a rotation whose inverse is not
// finite (all zeros, or too small to square) would poison every vertex.
void storeRotation(ModelTokens& tokens, const Quaternion& rotation, Quaternion& stored, Quaternion& storedInverse) {
    const Quaternion inverted = inverse(rotation);
    if (!std::isfinite(inverted.x) || !std::isfinite(inverted.y) || !std::isfinite(inverted.z) ||
        !std::isfinite(inverted.w)) {
        tokens.fail("the rotation ending at " + tokens.lastTokenPlace() + " has no inverse (all zeros or nearly)");
    }
    stored = rotation;
    storedInverse = inverted;
}

Vector3 readVector(ModelTokens& tokens, const char* what) {
    const float x = tokens.readReal(what);
    const float y = tokens.readReal(what);
    const float z = tokens.readReal(what);
    return {x, y, z};
}

void readMaterials(ModelTokens& tokens, SkinnedModel& model) {
    const int count = readCount(tokens, "the material count", kTokensPerMaterial);
    model.materials.resize(count);
    for (Material& material : model.materials) {
        tokens.skipWord("a material name");
        material.red = tokens.readReal("a material's red");
        material.green = tokens.readReal("a material's green");
        material.blue = tokens.readReal("a material's blue");
        material.alpha = tokens.readReal("a material's alpha");
        material.secondAlpha = tokens.readReal("a material's second alpha");
    }
}

// Fills the four influence slots of one vertex: a count above four is warned
// about and its extra influences are read and dropped; missing slots get
// bone 0 with weight 0.
void readInfluences(ModelTokens& tokens, SkinnedMesh& mesh, int vertex) {
    const int count = readCount(tokens, "an influence count", kTokensPerInfluence);
    if (count > kInfluencesPerVertex) {
        platform().showMessage("Warning", "Max. Bones per Vertex exceeded", MessageIcon::Warning);
    }
    const std::size_t first = static_cast<std::size_t>(vertex) * kInfluencesPerVertex;
    for (int influence = 0; influence < count; ++influence) {
        const int bone = tokens.readInt("a bone number");
        if (bone < 0) {
            tokens.fail("the bone number at " + tokens.lastTokenPlace() + " is negative");
        }
        tokens.skipWord("a bone name");
        const float weight = tokens.readReal("a weight");
        if (influence < kInfluencesPerVertex) {
            mesh.boneIndices[first + influence] = bone;
            mesh.weights[first + influence] = weight;
        }
    }
    // The slots were zero-filled when the arrays were allocated: bone 0, weight 0.
}

void readMesh(ModelTokens& tokens, SkinnedModel& model, SkinnedMesh& mesh) {
    mesh.materialIndex = tokens.readInt("a material index");
    if (mesh.materialIndex < 0 || mesh.materialIndex >= model.materialCount()) {
        tokens.fail("the material index at " + tokens.lastTokenPlace() + " is " + std::to_string(mesh.materialIndex) +
                    ", but there are " + std::to_string(model.materialCount()) + " materials");
    }
    mesh.vertexCount = readCount(tokens, "the vertex count", kTokensPerVertex);
    const std::size_t vertices = static_cast<std::size_t>(mesh.vertexCount);
    mesh.positions.assign(vertices * kFloatsPerPosition, 0.0f);
    mesh.boneIndices.assign(vertices * kInfluencesPerVertex, 0);
    mesh.weights.assign(vertices * kInfluencesPerVertex, 0.0f);
    mesh.normals.assign(vertices * kFloatsPerNormal, 0.0f);
    mesh.skinnedPositions.assign(vertices * kFloatsPerPosition, 0.0f);
    mesh.skinnedNormals.assign(vertices * kFloatsPerNormal, 0.0f);

    for (int vertex = 0; vertex < mesh.vertexCount; ++vertex) {
        float* position = &mesh.positions[vertex * kFloatsPerPosition];
        position[0] = tokens.readReal("a vertex x");
        position[1] = tokens.readReal("a vertex y");
        position[2] = tokens.readReal("a vertex z");
        position[3] = 1.0f;
        readInfluences(tokens, mesh, vertex);
    }
    tokens.readReal("the real before the normals");
    for (int vertex = 0; vertex < mesh.vertexCount; ++vertex) {
        float* normal = &mesh.normals[vertex * kFloatsPerNormal];
        normal[0] = tokens.readReal("a normal x");
        normal[1] = tokens.readReal("a normal y");
        normal[2] = tokens.readReal("a normal z");
    }
    tokens.readReal("the real before the texture coordinates");
    for (int vertex = 0; vertex < mesh.vertexCount; ++vertex) {
        tokens.readReal("a texture coordinate");
        tokens.readReal("a texture coordinate");
    }

    mesh.triangleCount = readCount(tokens, "the triangle count", kTokensPerTriangle);
    mesh.indices.assign(static_cast<std::size_t>(mesh.triangleCount) * kIndicesPerTriangle, 0);
    constexpr int kIgnoredRealsPerTriangle = 6;
    for (int triangle = 0; triangle < mesh.triangleCount; ++triangle) {
        for (std::size_t corner = 0; corner < kIndicesPerTriangle; ++corner) {
            int& index = mesh.indices[triangle * kIndicesPerTriangle + corner];
            index = tokens.readInt("a vertex index");
            if (index < 0 || index >= mesh.vertexCount) {
                tokens.fail("the vertex index at " + tokens.lastTokenPlace() + " is " + std::to_string(index) +
                            ", but the mesh has " + std::to_string(mesh.vertexCount) + " vertices");
            }
        }
        for (int ignored = 0; ignored < kIgnoredRealsPerTriangle; ++ignored) {
            tokens.readReal("a triangle's extra real");
        }
    }
    mesh.createBuffers();
}

// Bone numbers are read with the meshes but can only be checked once the
// skeleton header gave the bone count.
void checkBoneNumbers(ModelTokens& tokens, const SkinnedModel& model) {
    for (int meshIndex = 0; meshIndex < model.meshCount(); ++meshIndex) {
        const SkinnedMesh& mesh = model.meshes[meshIndex];
        for (std::size_t slot = 0; slot < mesh.boneIndices.size(); ++slot) {
            const int bone = mesh.boneIndices[slot];
            // Padded slots hold bone 0 with weight 0 and are never skinned.
            const bool padded = bone == 0 && mesh.weights[slot] == 0.0f;
            if (!padded && bone >= model.boneCount()) {
                tokens.fail("mesh " + std::to_string(meshIndex) + ", vertex " +
                            std::to_string(slot / kInfluencesPerVertex) + " names bone " + std::to_string(bone) +
                            ", but the skeleton has " + std::to_string(model.boneCount()) + " bones");
            }
        }
    }
}

void readBone(ModelTokens& tokens, SkinnedModel& model, Bone& bone, int& childCount) {
    tokens.skipWord("a bone name");
    childCount = readCount(tokens, "a child count", kTokensPerBoneHeader);
    storeRotation(tokens, readRotation(tokens, "a bone rotation"), bone.rotation, bone.inverseRotation);
    bone.pivot = readVector(tokens, "a bone pivot");
    bone.keyframes.assign(model.frameCount, BoneKeyframe{});
    for (BoneKeyframe& keyframe : bone.keyframes) {
        storeRotation(tokens, readRotation(tokens, "a keyframe rotation"), keyframe.rotation, keyframe.inverseRotation);
        keyframe.translation = readVector(tokens, "a keyframe translation");
    }
}

// Reads the bone trees depth first, each bone before its children, numbering
// them in that order. An explicit stack keeps a deep chain off the call stack.
void readSkeleton(ModelTokens& tokens, SkinnedModel& model) {
    model.frameCount = tokens.readInt("the frame count");
    if (model.frameCount < kAnimationFrameCount) {
        tokens.fail("the frame count at " + tokens.lastTokenPlace() + " is " + std::to_string(model.frameCount) +
                    ", but the animation needs " + std::to_string(kAnimationFrameCount) + " keyframes per bone");
    }
    if (static_cast<std::size_t>(model.frameCount) > tokens.maximumTokensLeft() / kTokensPerKeyframe) {
        tokens.fail("the frame count at " + tokens.lastTokenPlace() + " is more than the rest of the file can hold");
    }
    const std::size_t tokensPerBone =
        kTokensPerBoneHeader + static_cast<std::size_t>(model.frameCount) * kTokensPerKeyframe;
    const int boneCount = readCount(tokens, "the bone count", tokensPerBone);
    model.rootCount = readCount(tokens, "the number of top-level bones", 0);
    model.bones.assign(boneCount, Bone{});
    checkBoneNumbers(tokens, model);

    int runningNumber = -1;
    std::vector<int> childrenLeft;  // per open level, the entries still to read
    childrenLeft.push_back(model.rootCount);
    while (!childrenLeft.empty()) {
        if (childrenLeft.back() == 0) {
            childrenLeft.pop_back();
            continue;
        }
        --childrenLeft.back();
        ++runningNumber;
        if (runningNumber >= boneCount) {
            tokens.fail("the bone trees hold more bones than the bone count of " + std::to_string(boneCount) +
                        " (bone entry " + std::to_string(runningNumber + 1) + " begins after " +
                        tokens.lastTokenPlace() + ")");
        }
        int childCount = 0;
        readBone(tokens, model, model.bones[runningNumber], childCount);
        childrenLeft.push_back(childCount);
    }
    if (runningNumber + 1 != boneCount) {
        tokens.fail("the bone trees hold " + std::to_string(runningNumber + 1) + " bones, but the bone count is " +
                    std::to_string(boneCount));
    }
}

}  // namespace

bool SkinnedModel::loadFromText(const char* text, std::size_t size, const char* sourceName) {
    release();
    elapsedSinceStep = 0.0f;
    currentFrame = 0;
    ModelTokens tokens(text, size);
    try {
        readMaterials(tokens, *this);
        // Meshes are added as they are read, so memory follows the file's
        // real content rather than its count.
        const int count = readCount(tokens, "the mesh count", kTokensPerMesh);
        for (int mesh = 0; mesh < count; ++mesh) {
            meshes.emplace_back();
            readMesh(tokens, *this, meshes.back());
        }
        readSkeleton(tokens, *this);
    } catch (const ModelFormatError& error) {
        release();
        platform().showMessage("Error", std::string(sourceName) + " cannot be used as the character: " + error.what(),
                               MessageIcon::Error);
        return false;
    } catch (const std::bad_alloc&) {
        release();
        platform().showMessage("Error", std::string(sourceName) + " cannot be used as the character: out of memory",
                               MessageIcon::Error);
        return false;
    }
    poses_.assign(bones.size(), BonePose{});
    // The buffers were created from zeros; the first frame goes in at once.
    skinCurrentFrame();
    return true;
}

void SkinnedModel::load(const char* fileName) {
    std::string text;
    // A file that opens but cannot be read counts as missing.
    if (!readFileBytes(fileName, text)) {
        release();
        elapsedSinceStep = 0.0f;
        currentFrame = 0;
        platform().showMessage("Error", "Cant find .mdq!", MessageIcon::Error);
        return;
    }
    loadFromText(text.data(), text.size(), fileName);
}
