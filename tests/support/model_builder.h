// Model builder: small glTF scenes as ModelData, built in code for the model tests.
#pragma once

#include <vector>

#include "model/model_data.h"

// An axis-aligned box from low to high corner: 24 vertices (flat normals), 12 triangles, facing out.
ModelPrimitive boxPrimitive(const std::array<float, 3>& low, const std::array<float, 3>& high);

// A flat grid in the x-y plane, facing +z, of columns x rows quads (two triangles each), width x height in size.
ModelPrimitive gridPrimitive(int columns, int rows, float width, float height);

// One root node holding one mesh of the primitives.
ModelData singleMeshModel(std::vector<ModelPrimitive> primitives);

// Adds a node under parent (-1: a scene root) and returns its index.
int addNode(ModelData& data, int parent, int mesh = -1);

ModelChannel makeChannel(int node, AnimationPath path, Interpolation interpolation, std::vector<float> times,
                         std::vector<float> values);

// A two-joint skin: a root joint and a child joint one unit up; a mesh node
// skinned by it holding a column of five vertices from y = 0 to 2, normals +x,
// which follow the root joint up to y = 1, the child joint at y = 2 and both
// half each at y = 1.5. Its one animation turns the child joint from the rest
// pose to 90 degrees about z over one second.
ModelData twoJointModel();
