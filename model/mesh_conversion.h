// Mesh conversion: glTF meshes into triangle lists with positions, normals, texture coordinates, colours and
// influences.
#pragma once

#include <vector>

#include "model/model_data.h"
#include "model/model_source.h"

// What the skin checks need to know of one converted mesh.
struct MeshJointUse {
    int largestJoint = -1;         // the largest joint number any vertex uses, -1 without joints
    bool everyPrimitiveHasJoints;  // false when a primitive has no JOINTS_0 / WEIGHTS_0
};

// Fills data.meshes, one per mesh of the file (primitives that are not
// triangle lists left out with a note), and answers each mesh's joint use.
std::vector<MeshJointUse> convertMeshes(const ModelSource& source, ModelData& data);
