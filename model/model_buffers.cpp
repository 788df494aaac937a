// Model buffers: buffer objects and textures of a user's model, pose uploads, and the per-pass draws with cut-outs.
#include "model/model_buffers.h"

#include <GL/glext.h>

#include <utility>

#include "gpu/buffer_functions.h"
#include "gpu/glsl_manager.h"
#include "platform/gl_entry_points.h"

namespace {

BufferFunctions buffers;
// gl.h declares the GL 1.3 functions itself, so glext.h has no pointer types for these.
using TextureUnitFunction = void(APIENTRY*)(GLenum texture);
TextureUnitFunction clientActiveTexture = nullptr;
TextureUnitFunction activeTexture = nullptr;

constexpr GLint kPositionComponents = 3;
constexpr GLint kTexCoordComponents = 2;
constexpr GLsizeiptr kVertexVectorBytes = 3 * sizeof(float);  // a position or a normal
constexpr GLsizeiptr kTexCoordBytes = 2 * sizeof(float);
constexpr GLsizeiptr kColourBytes = 4 * sizeof(float);
constexpr GLsizeiptr kIndexBytes = sizeof(std::uint32_t);
constexpr GLubyte kWhite[4] = {255, 255, 255, 255};

bool lookUpEntryPoints() {
    bool found = buffers.lookUp();
    found = lookUpEntryPoint(clientActiveTexture, "glClientActiveTexture") && found;
    return lookUpEntryPoint(activeTexture, "glActiveTexture") && found;
}

bool usesMipmaps(int minFilter) {
    return minFilter == GL_NEAREST_MIPMAP_NEAREST || minFilter == GL_LINEAR_MIPMAP_NEAREST ||
           minFilter == GL_NEAREST_MIPMAP_LINEAR || minFilter == GL_LINEAR_MIPMAP_LINEAR;
}

// Base colour images hold sRGB values: the sRGB format hands the lighting linear ones.
GLuint createTexture(const ModelTexture& texture, const ModelImage& image) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, texture.wrapS);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, texture.wrapT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, texture.magFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, texture.minFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, usesMipmaps(texture.minFilter) ? GL_TRUE : GL_FALSE);
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_SRGB8_ALPHA8, image.width, image.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 image.rgba.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    return name;
}

GLuint createWhiteTexture() {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, kWhite);
    return name;
}

// Colour pass: RGB = texture x vertex colour; alpha = the surface's mirror
// weight, handed in as the unit's constant colour.
void combineColourWithMirrorAlpha(float mirrorAlpha) {
    const GLfloat constant[4] = {0.0f, 0.0f, 0.0f, mirrorAlpha};
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, GL_MODULATE);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB, GL_TEXTURE);
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_RGB, GL_SRC_COLOR);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB, GL_PRIMARY_COLOR);
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND1_RGB, GL_SRC_COLOR);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_ALPHA, GL_REPLACE);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_ALPHA, GL_CONSTANT);
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_ALPHA, GL_SRC_ALPHA);
    glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, constant);
}

}  // namespace

ModelBuffers& ModelBuffers::operator=(ModelBuffers&& other) noexcept {
    std::swap(positionBuffer_, other.positionBuffer_);
    std::swap(normalBuffer_, other.normalBuffer_);
    std::swap(texCoordBuffer_, other.texCoordBuffer_);
    std::swap(colourBuffer_, other.colourBuffer_);
    std::swap(indexBuffer_, other.indexBuffer_);
    std::swap(whiteTexture_, other.whiteTexture_);
    std::swap(textures_, other.textures_);
    std::swap(shadowListOffset_, other.shadowListOffset_);
    std::swap(hasShadowList_, other.hasShadowList_);
    std::swap(vertexCount_, other.vertexCount_);
    return *this;
}

bool ModelBuffers::create(const PreparedModel& model, std::string& cause) {
    release();
    if (!lookUpEntryPoints()) {
        cause = "the driver has no buffer objects or texture units to draw it with";
        return false;
    }
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    for (std::size_t i = 0; i < model.data.images.size(); ++i) {
        const ModelImage& image = model.data.images[i];
        if (image.width > largest || image.height > largest) {
            cause = "image " + std::to_string(i) + " is " + std::to_string(image.width) + " x " +
                    std::to_string(image.height) + " pixels, more than the driver's " + std::to_string(largest);
            return false;
        }
    }
    vertexCount_ = static_cast<std::size_t>(model.vertexCount);
    const GLsizeiptr vertices = model.vertexCount;
    positionBuffer_ =
        buffers.create(GL_ARRAY_BUFFER, vertices * kVertexVectorBytes, model.positions.data(), GL_DYNAMIC_DRAW);
    normalBuffer_ =
        buffers.create(GL_ARRAY_BUFFER, vertices * kVertexVectorBytes, model.normals.data(), GL_DYNAMIC_DRAW);
    texCoordBuffer_ =
        buffers.create(GL_ARRAY_BUFFER, vertices * kTexCoordBytes, model.texCoords.data(), GL_STATIC_DRAW);
    colourBuffer_ = buffers.create(GL_ARRAY_BUFFER, vertices * kColourBytes, model.colours.data(), GL_STATIC_DRAW);
    buffers.bindBuffer(GL_ARRAY_BUFFER, 0);
    // The full list, then the shadow list, in one element buffer.
    shadowListOffset_ = model.indices.size();
    hasShadowList_ = !model.shadowIndices.empty();
    const GLsizeiptr indexCount = static_cast<GLsizeiptr>(model.indices.size() + model.shadowIndices.size());
    indexBuffer_ = buffers.create(GL_ELEMENT_ARRAY_BUFFER, indexCount * kIndexBytes, nullptr, GL_STATIC_DRAW);
    buffers.bufferSubData(GL_ELEMENT_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(model.indices.size()) * kIndexBytes,
                          model.indices.data());
    buffers.bufferSubData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLintptr>(shadowListOffset_) * kIndexBytes,
                          static_cast<GLsizeiptr>(model.shadowIndices.size()) * kIndexBytes,
                          model.shadowIndices.data());
    buffers.bindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    for (const ModelTexture& texture : model.data.textures) {
        textures_.push_back(createTexture(texture, model.data.images[texture.image]));
    }
    whiteTexture_ = createWhiteTexture();
    glBindTexture(GL_TEXTURE_2D, 0);
    return true;
}

void ModelBuffers::uploadPose(const PreparedModel& model) const {
    if (!created()) return;
    const GLsizeiptr bytes = static_cast<GLsizeiptr>(vertexCount_) * kVertexVectorBytes;
    buffers.bindBuffer(GL_ARRAY_BUFFER, positionBuffer_);
    buffers.bufferSubData(GL_ARRAY_BUFFER, 0, bytes, model.positions.data());
    buffers.bindBuffer(GL_ARRAY_BUFFER, normalBuffer_);
    buffers.bufferSubData(GL_ARRAY_BUFFER, 0, bytes, model.normals.data());
    buffers.bindBuffer(GL_ARRAY_BUFFER, 0);
}

void ModelBuffers::release() {
    if (created()) {
        const GLuint names[] = {positionBuffer_, normalBuffer_, texCoordBuffer_, colourBuffer_, indexBuffer_};
        buffers.deleteBuffers(sizeof(names) / sizeof(names[0]), names);
        glDeleteTextures(static_cast<GLsizei>(textures_.size()), textures_.data());
        glDeleteTextures(1, &whiteTexture_);
    }
    positionBuffer_ = normalBuffer_ = texCoordBuffer_ = colourBuffer_ = indexBuffer_ = whiteTexture_ = 0;
    textures_.clear();
    vertexCount_ = 0;
}

void ModelBuffers::setArrays(bool colours, bool texCoords, bool normals) const {
    if (colours) {
        glEnableClientState(GL_COLOR_ARRAY);
        buffers.bindBuffer(GL_ARRAY_BUFFER, colourBuffer_);
        glColorPointer(kColourComponents, GL_FLOAT, 0, nullptr);
    } else {
        glDisableClientState(GL_COLOR_ARRAY);
    }
    if (texCoords) {
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        buffers.bindBuffer(GL_ARRAY_BUFFER, texCoordBuffer_);
        glTexCoordPointer(kTexCoordComponents, GL_FLOAT, 0, nullptr);
    } else {
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    }
    if (normals) {
        glEnableClientState(GL_NORMAL_ARRAY);
        buffers.bindBuffer(GL_ARRAY_BUFFER, normalBuffer_);
        glNormalPointer(GL_FLOAT, 0, nullptr);
    } else {
        glDisableClientState(GL_NORMAL_ARRAY);
    }
}

void ModelBuffers::drawRange(const IndexRange& range, bool shadowList) const {
    const std::size_t first = range.first + (shadowList ? shadowListOffset_ : 0);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(range.count), GL_UNSIGNED_INT,
                   reinterpret_cast<const void*>(first * kIndexBytes));
}

void ModelBuffers::bindSurfaceTexture(const ModelSurface& surface) const {
    glBindTexture(GL_TEXTURE_2D, surface.texture >= 0 ? textures_[surface.texture] : whiteTexture_);
}

// Lays the depth of the surface's texels whose base colour alpha reaches the
// cut-off, with the fixed-function alpha test and no colour written; the
// pass's own draw then fills exactly those pixels (depth equal).
void ModelBuffers::cutOut(const ModelSurface& surface, const IndexRange& range, ModelDrawMode mode,
                          int programSlot) const {
    const bool shadow = mode == ModelDrawMode::ShadowDepth;
    if (programSlot >= 0) glslManager().stopProgram();
    const GLboolean textured = glIsEnabled(GL_TEXTURE_2D);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    bindSurfaceTexture(surface);
    setArrays(true, true, mode == ModelDrawMode::NormalsAndGloss);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GEQUAL, surface.alphaCutoff);
    if (!shadow) glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    drawRange(range, shadow && hasShadowList_);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDisable(GL_ALPHA_TEST);
    if (!textured) glDisable(GL_TEXTURE_2D);
    if (programSlot >= 0) glslManager().useProgram(programSlot);
}

void ModelBuffers::draw(const PreparedModel& model, ModelDrawMode mode, int programSlot) const {
    if (!created()) return;
    const bool colours = mode == ModelDrawMode::ColoursAndMirror;
    const bool normals = mode == ModelDrawMode::NormalsAndGloss;
    const bool shadow = mode == ModelDrawMode::ShadowDepth;
    activeTexture(GL_TEXTURE0);
    clientActiveTexture(GL_TEXTURE0);
    const GLboolean textured = glIsEnabled(GL_TEXTURE_2D);
    const GLboolean culled = glIsEnabled(GL_CULL_FACE);
    glEnableClientState(GL_VERTEX_ARRAY);
    buffers.bindBuffer(GL_ARRAY_BUFFER, positionBuffer_);
    glVertexPointer(kPositionComponents, GL_FLOAT, 0, nullptr);
    buffers.bindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer_);

    for (const ModelBatch& batch : model.batches) {
        const ModelSurface& surface = model.surfaces[batch.surface];
        const IndexRange& range = shadow ? batch.shadow : batch.full;
        if (range.count == 0) continue;
        if (surface.doubleSided) glDisable(GL_CULL_FACE);
        if (surface.alphaMask) {
            cutOut(surface, range, mode, programSlot);
            if (!shadow) glDepthFunc(GL_EQUAL);
        }
        if (!(shadow && surface.alphaMask)) {
            setArrays(colours, colours, normals);
            if (colours) {
                glEnable(GL_TEXTURE_2D);
                bindSurfaceTexture(surface);
                combineColourWithMirrorAlpha(surface.mirrorAlpha);
            } else if (normals) {
                glColor4f(1.0f, 1.0f, 1.0f, surface.glossAlpha);
            } else if (mode == ModelDrawMode::Silhouette) {
                glColor4f(0.0f, 0.0f, 0.0f, 0.0f);  // a colour array leaves the current colour undefined
            }
            drawRange(range, shadow && hasShadowList_);
        }
        if (surface.alphaMask) glDepthFunc(GL_LEQUAL);
        if (surface.doubleSided && culled) glEnable(GL_CULL_FACE);
    }

    setArrays(false, false, false);
    glDisableClientState(GL_VERTEX_ARRAY);
    buffers.bindBuffer(GL_ARRAY_BUFFER, 0);
    buffers.bindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glBindTexture(GL_TEXTURE_2D, 0);
    if (!textured) glDisable(GL_TEXTURE_2D);
    glColor4f(1.0f, 1.0f, 1.0f, 0.0f);
}
