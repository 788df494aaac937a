// Mesh buffers and drawing: the five buffer objects of each mesh, their uploads and the client-array draw.
#include "character/mesh_buffers.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <string>

#include "character/skinned_model.h"
#include "gpu/buffer_functions.h"
#include "platform/gl_entry_points.h"

namespace {

BufferFunctions buffers;
// gl.h declares the GL 1.3 functions itself, so glext.h has no pointer type for this one.
using ClientActiveTextureFunction = void(APIENTRY*)(GLenum texture);
ClientActiveTextureFunction clientActiveTexture = nullptr;
unsigned int contextCount = 0;

constexpr GLint kPositionComponents = 4;
constexpr GLint kWeightComponents = 4;
constexpr GLint kBoneIndexComponents = 4;
constexpr GLsizeiptr kPositionBytes = 4 * sizeof(float);
constexpr GLsizeiptr kNormalBytes = 3 * sizeof(float);
constexpr GLsizeiptr kWeightBytes = kInfluencesPerVertex * sizeof(float);
constexpr GLsizeiptr kBoneIndexBytes = kInfluencesPerVertex * sizeof(int);
constexpr GLsizeiptr kTriangleBytes = 3 * sizeof(int);

}  // namespace

void loadBufferEntryPoints() {
    ++contextCount;
    if (!lookUpEntryPoint(clientActiveTexture, "glClientActiveTexture")) {
        platform().showMessage("Error", "glClientActiveTexture not supported!", MessageIcon::Error);
    }
    if (!buffers.lookUp()) {
        platform().showMessage("Error", "Buffer objects not supported: the character cannot be drawn!",
                               MessageIcon::Error);
    }
}

unsigned int currentBufferContext() { return contextCount; }

bool bufferEntryPointsAvailable() { return buffers.available(); }

void SkinnedMesh::createBuffers() {
    if (!bufferEntryPointsAvailable()) {
        return;
    }
    const GLsizeiptr vertices = vertexCount;
    bufferContext = currentBufferContext();
    positionBuffer =
        buffers.create(GL_ARRAY_BUFFER, vertices * kPositionBytes, skinnedPositions.data(), GL_DYNAMIC_DRAW);
    normalBuffer = buffers.create(GL_ARRAY_BUFFER, vertices * kNormalBytes, skinnedNormals.data(), GL_DYNAMIC_DRAW);
    weightBuffer = buffers.create(GL_ARRAY_BUFFER, vertices * kWeightBytes, weights.data(), GL_STATIC_DRAW);
    boneIndexBuffer = buffers.create(GL_ARRAY_BUFFER, vertices * kBoneIndexBytes, boneIndices.data(), GL_STATIC_DRAW);
    indexBuffer = buffers.create(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(triangleCount) * kTriangleBytes,
                                 indices.data(), GL_STATIC_DRAW);
}

void SkinnedMesh::uploadSkinnedVertices() {
    if (!hasBuffers() || !bufferEntryPointsAvailable()) {
        return;
    }
    const GLsizeiptr vertices = vertexCount;
    buffers.bindBuffer(GL_ARRAY_BUFFER, positionBuffer);
    buffers.bufferSubData(GL_ARRAY_BUFFER, 0, vertices * kPositionBytes, skinnedPositions.data());
    buffers.bindBuffer(GL_ARRAY_BUFFER, normalBuffer);
    buffers.bufferSubData(GL_ARRAY_BUFFER, 0, vertices * kNormalBytes, skinnedNormals.data());
}

bool SkinnedMesh::hasBuffers() const { return positionBuffer != 0 && bufferContext == currentBufferContext(); }

void SkinnedMesh::releaseBuffers() {
    if (hasBuffers() && bufferEntryPointsAvailable()) {
        const GLuint names[] = {positionBuffer, normalBuffer, weightBuffer, boneIndexBuffer, indexBuffer};
        buffers.deleteBuffers(sizeof(names) / sizeof(names[0]), names);
    }
    positionBuffer = normalBuffer = weightBuffer = boneIndexBuffer = indexBuffer = 0;
    bufferContext = 0;
}

void SkinnedMesh::draw() const {
    if (!hasBuffers() || !bufferEntryPointsAvailable()) {
        return;
    }
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    buffers.bindBuffer(GL_ARRAY_BUFFER, positionBuffer);
    glVertexPointer(kPositionComponents, GL_FLOAT, 0, nullptr);
    buffers.bindBuffer(GL_ARRAY_BUFFER, normalBuffer);
    glNormalPointer(GL_FLOAT, 0, nullptr);
    // Set 0 carries the four weights, set 1 the four bone numbers; without
    // glClientActiveTexture both are left out rather than calling through null.
    if (clientActiveTexture != nullptr) {
        clientActiveTexture(GL_TEXTURE0);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        buffers.bindBuffer(GL_ARRAY_BUFFER, weightBuffer);
        glTexCoordPointer(kWeightComponents, GL_FLOAT, 0, nullptr);
        clientActiveTexture(GL_TEXTURE1);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        buffers.bindBuffer(GL_ARRAY_BUFFER, boneIndexBuffer);
        glTexCoordPointer(kBoneIndexComponents, GL_INT, 0, nullptr);
    }
    buffers.bindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
    glDrawElements(GL_TRIANGLES, triangleCount * 3, GL_UNSIGNED_INT, nullptr);
    if (clientActiveTexture != nullptr) {
        clientActiveTexture(GL_TEXTURE1);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        clientActiveTexture(GL_TEXTURE0);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    }
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    // The array and element bindings stay: nothing else draws from vertex arrays.
}

void SkinnedModel::draw(bool setColour, bool setColourSecondAlpha) const {
    for (const SkinnedMesh& mesh : meshes) {
        const Material& m = materials[mesh.materialIndex];
        if (setColour) {
            glColor4f(m.red, m.green, m.blue, m.alpha);
        }
        if (setColourSecondAlpha) {
            glColor4f(m.red, m.green, m.blue, m.secondAlpha);
        }
        mesh.draw();
    }
    glColor4f(1.0f, 1.0f, 1.0f, 0.0f);
}
