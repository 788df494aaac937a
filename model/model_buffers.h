// Model buffers: the GL buffer objects and textures of a prepared model, their pose uploads and the draws each pass
// makes of them.
#pragma once

#include <GL/gl.h>

#include <string>
#include <vector>

#include "model/prepared_model.h"

// What a pass draws of the model, and with which colour.
enum class ModelDrawMode {
    ShadowDepth,       // depth only, from the shadow index list
    Positions,         // under the position program
    NormalsAndGloss,   // under the normal program; colour alpha = the glossy weight
    ColoursAndMirror,  // fixed function: base colour x texture, alpha = the mirror weight
    Silhouette,        // black, zero alpha, over the sky
};

class ModelBuffers {
public:
    ModelBuffers() = default;
    // One owner per set of GL objects: a copy would delete them twice.
    ModelBuffers(const ModelBuffers&) = delete;
    ModelBuffers& operator=(const ModelBuffers&) = delete;
    ModelBuffers(ModelBuffers&& other) noexcept { *this = std::move(other); }
    ModelBuffers& operator=(ModelBuffers&& other) noexcept;
    ~ModelBuffers() = default;  // GL objects go in release, while their context exists

    // Creates the buffers and textures in the current context, filled from the
    // model; false, with the cause and nothing created, when the driver lacks
    // buffer objects or an image is larger than its textures can be.
    bool create(const PreparedModel& model, std::string& cause);
    // Replaces the positions and normals with the model's current pose.
    void uploadPose(const PreparedModel& model) const;
    void release();
    bool created() const { return positionBuffer_ != 0; }

    // Draws every batch for the pass, one draw call per material. programSlot
    // is the pass's program (-1 for fixed function): a cut-out material lays
    // its depth first without it, with the alpha test, then is drawn with the
    // program where that depth is equal. Leaves the colour (1, 1, 1, 0), no
    // client array enabled, unit 0 active, the pass's texturing as it found it.
    void draw(const PreparedModel& model, ModelDrawMode mode, int programSlot) const;

private:
    void drawRange(const IndexRange& range, bool shadowList) const;
    void bindSurfaceTexture(const ModelSurface& surface) const;
    void cutOut(const ModelSurface& surface, const IndexRange& range, ModelDrawMode mode, int programSlot) const;
    void setArrays(bool colours, bool texCoords, bool normals) const;

    GLuint positionBuffer_ = 0;
    GLuint normalBuffer_ = 0;
    GLuint texCoordBuffer_ = 0;
    GLuint colourBuffer_ = 0;
    GLuint indexBuffer_ = 0;
    GLuint whiteTexture_ = 0;           // stands in for an untextured material's texture
    std::vector<GLuint> textures_;      // one per ModelTexture
    std::size_t shadowListOffset_ = 0;  // where the shadow list starts in the index buffer, in indices
    bool hasShadowList_ = false;
    std::size_t vertexCount_ = 0;
};
