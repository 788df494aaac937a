// Model pose: every node's local translation, rotation and scale, and the global matrices the hierarchy composes.
#pragma once

#include <vector>

#include "model/model_data.h"
#include "model/transform_math.h"

struct NodeTransform {
    Vector3f translation = {0.0f, 0.0f, 0.0f};
    Rotation4f rotation = {0.0f, 0.0f, 0.0f, 1.0f};
    Vector3f scale = {1.0f, 1.0f, 1.0f};

    bool operator==(const NodeTransform& other) const {
        return translation == other.translation && rotation == other.rotation && scale == other.scale;
    }
    bool operator!=(const NodeTransform& other) const { return !(*this == other); }
};

struct ModelPose {
    std::vector<NodeTransform> local;  // per node; animations write these
    std::vector<Matrix4> global;       // per node: parent's global x local
};

// The nodes with every parent before its children: the roots in index order,
// each followed depth first by its descendants. A node the roots do not reach
// is left out (and keeps an identity global matrix).
std::vector<int> nodesParentsFirst(const ModelData& data);

// The nodes' own translations, rotations and scales; identity globals.
void setRestPose(const ModelData& data, ModelPose& pose);

// global = parent's global x local, in the order given (parents first). A node
// with a matrix uses it as its local transform; animations never change it.
void composeGlobals(const ModelData& data, const std::vector<int>& parentsFirst, ModelPose& pose);
