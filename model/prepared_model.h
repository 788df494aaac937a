// Prepared model: a loaded glTF scene made ready to draw (vertex streams, index batches by material, shadow indices,
// placement), built without GL so that it can be made on any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/model_data.h"
#include "model/model_placement.h"
#include "model/model_skinning.h"
#include "model/model_surface.h"
#include "model/shadow_simplification.h"

// The triangles of one surface, in the full list and in the shadow list.
struct ModelBatch {
    int surface = 0;
    IndexRange full;
    IndexRange shadow;  // into shadowIndices, or the full range when there is no shadow list
};

struct PreparedModel {
    ModelData data;
    std::vector<int> nodeOrder;                // parents first
    std::vector<ModelPart> parts;              // every primitive of every mesh node of the scene
    std::vector<ModelSurface> surfaces;        // one per material, then the default material
    std::vector<ModelBatch> batches;           // one per surface in use, in surface order
    std::vector<std::uint32_t> indices;        // all parts' triangles, batch after batch
    std::vector<std::uint32_t> shadowIndices;  // the simplified triangles; empty when the shadow maps draw all
    int vertexCount = 0;
    // Vertex streams shared by every pass. Positions and normals are where
    // the model stands in the current pose (rewritten when the pose changes).
    std::vector<float> positions;  // 3 per vertex
    std::vector<float> normals;    // 3 per vertex, unit length
    std::vector<float> texCoords;  // 2 per vertex, zero without TEXCOORD_0
    std::vector<float> colours;    // 4 per vertex: base colour factor x COLOR_0
    Matrix4 placement = kIdentityMatrix4;
    ModelBounds placedBounds;       // in the first pose
    bool partlyUnshadowed = false;  // reaches beyond every light's shadow map

    std::size_t triangleCount() const { return indices.size() / 3; }
    std::size_t shadowTriangleCount() const {
        return (shadowIndices.empty() ? indices.size() : shadowIndices.size()) / 3;
    }
};

// Builds the record from loaded data: the parts, surfaces and batches, the
// first pose (the first animation at its start, or the rest pose), the
// placement from its bounds, and above kShadowTriangleBudget triangles the
// shadow list. False, with the cause, for data nothing can be drawn from.
bool prepareModel(ModelData&& data, const ModelPlacementOptions& options, PreparedModel& model, std::string& cause);

// Poses the vertices at the animation's time (-1: the rest pose) through the
// placement, into positions and normals (3 floats per vertex each); pose and
// skins are working space. What the animator does per frame and preparation
// once.
void poseModelAt(const PreparedModel& model, int animation, float seconds, const Matrix4& placement, ModelPose& pose,
                 SkinMatrices& skins, float* positions, float* normals);
