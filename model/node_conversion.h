// Node conversion: the node hierarchy with rest transforms, the scene's roots, and the skins bound to it.
#pragma once

#include <vector>

#include "model/mesh_conversion.h"
#include "model/model_data.h"
#include "model/model_source.h"

// A number from the file as a float: refuses one that is not finite or lies
// beyond the float range (converting it would be undefined).
float finiteFloat(double value, const std::string& what);

// Fills data.nodes (every node has at most one parent, and the hierarchy has
// no cycle) and data.sceneRoots (the default scene's, else the first
// scene's, else every node without a parent).
void convertNodes(const ModelSource& source, ModelData& data);

// Fills data.skins and checks each skinned node: it has a mesh whose
// primitives all have joints, and no joint number reaches past the skin.
void convertSkins(const ModelSource& source, const std::vector<MeshJointUse>& jointUse, ModelData& data);
