// Model skinning on the processor: skinned primitives from their joints, the others rigidly with their node, every
// vertex carried into place by the placement transform.
#pragma once

#include <vector>

#include "model/model_data.h"
#include "model/model_pose.h"
#include "model/transform_math.h"

// One primitive of one mesh node: where its vertices start in the model's
// vertex streams and what moves them.
struct ModelPart {
    int node = -1;
    int mesh = -1;
    int primitive = -1;
    int skin = -1;  // -1: the part moves rigidly with its node
    int firstVertex = 0;
};

// Each skin's joint matrices for a pose: placement x joint's global x inverse
// bind matrix, with their normal matrices. Sized once per model.
struct SkinMatrices {
    std::vector<std::vector<Matrix4>> joints;
    std::vector<std::vector<NormalMatrix>> normals;
};

// Vertex = sum over its four influences of weight x joint matrix x bind
// position; normals the same with the normal matrices, renormalised. A
// zero-weight influence costs only its test.
void skinVertices(const ModelPrimitive& primitive, const Matrix4* joints, const NormalMatrix* jointNormals,
                  float* positions, float* normals);

// Every vertex by one matrix, normals by its normal matrix, renormalised.
void transformVertices(const ModelPrimitive& primitive, const Matrix4& transform, const NormalMatrix& normalTransform,
                       float* positions, float* normals);

// Writes every part's vertices in the pose (whose globals are composed) into
// the streams, 3 floats per vertex each, carried by the placement.
void poseVertices(const ModelData& data, const std::vector<ModelPart>& parts, const ModelPose& pose,
                  const Matrix4& placement, SkinMatrices& skins, float* positions, float* normals);
