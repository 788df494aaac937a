// Model placement: bounds, the height rule, --actual-size and the shadow maps' reach.
#include "model/model_placement.h"

#include <algorithm>
#include <cmath>

namespace {

// Below this share of its widest extent a model counts as flat (a ground
// plane, a sign lying down): its widest extent is matched instead.
constexpr float kFlatShare = 1e-3f;

}  // namespace

ModelBounds boundsOf(const float* positions, std::size_t count) {
    ModelBounds bounds;
    if (count == 0) return bounds;
    for (int axis = 0; axis < 3; ++axis) bounds.min[axis] = bounds.max[axis] = positions[axis];
    for (std::size_t i = 1; i < count; ++i) {
        for (int axis = 0; axis < 3; ++axis) {
            bounds.min[axis] = std::min(bounds.min[axis], positions[i * 3 + axis]);
            bounds.max[axis] = std::max(bounds.max[axis], positions[i * 3 + axis]);
        }
    }
    return bounds;
}

Matrix4 placementFor(const ModelBounds& bounds, const ModelPlacementOptions& options) {
    float scale = 1.0f;
    if (options.actualSize) {
        scale = kCharacterHeight / kCharacterHeightMetres;
    } else {
        const float height = bounds.max[1] - bounds.min[1];
        const float widest = std::max({height, bounds.max[0] - bounds.min[0], bounds.max[2] - bounds.min[2]});
        const float matched = height > kFlatShare * widest ? height : widest;
        scale = matched > 0.0f ? kCharacterHeight / matched : 1.0f;
    }
    scale *= options.scale;
    const Vector3f centre = {0.5f * (bounds.min[0] + bounds.max[0]), bounds.min[1],
                             0.5f * (bounds.min[2] + bounds.max[2])};
    return scaleThenTranslate(scale, {-scale * centre[0], -scale * centre[1], -scale * centre[2]});
}

ModelBounds placedBounds(const ModelBounds& bounds, const Matrix4& placement) {
    ModelBounds placed;
    transformPoint(placement, bounds.min.data(), placed.min.data());
    transformPoint(placement, bounds.max.data(), placed.max.data());
    return placed;
}

bool reachesBeyondShadowMaps(const ModelBounds& placed) {
    for (int corner = 0; corner < 8; ++corner) {
        const float x = corner & 1 ? placed.max[0] : placed.min[0];
        const float y = corner & 2 ? placed.max[1] : placed.min[1];
        const float z = corner & 4 ? placed.max[2] : placed.min[2];
        if (std::sqrt(x * x + y * y + z * z) > kShadowMapReach) return true;
    }
    return false;
}
