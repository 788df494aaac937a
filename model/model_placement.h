// Model placement: where a user's model stands and how large it is, worked out once from its bounds at load.
#pragma once

#include <cstddef>

#include "model/transform_math.h"

// The built-in character: 1.8 units tall, standing on y = 0 at the origin,
// facing +z (toward the camera's start). Taken as a person 1.8 m tall, so one
// unit of the scene is one metre.
constexpr float kCharacterHeight = 1.8f;
constexpr float kCharacterHeightMetres = 1.8f;

// Every light's shadow map holds the points within this distance of the
// origin: the light's eye sits 5 units out along its direction and its box
// reaches 5.5 units either side of its axis.
constexpr float kShadowMapReach = 5.0f;

struct ModelPlacementOptions {
    float scale = 1.0f;       // multiplies the size the rule below gives
    bool actualSize = false;  // glTF's metres instead of the character's height
};

struct ModelBounds {
    Vector3f min = {0.0f, 0.0f, 0.0f};
    Vector3f max = {0.0f, 0.0f, 0.0f};
};

// The box around the points (3 floats each); all zeros for none.
ModelBounds boundsOf(const float* positions, std::size_t count);

// The transform that stands a model with these bounds on the ground where the
// character stands: lowest point on y = 0, centred on the origin in x and z,
// as tall as the character (or in metres with actualSize), times the scale.
// glTF's front is +z, the character's too: the model is not turned.
Matrix4 placementFor(const ModelBounds& bounds, const ModelPlacementOptions& options);

// True when some corner of the placed box lies beyond kShadowMapReach of the
// origin, so part of the model may miss some lights' shadow maps.
bool reachesBeyondShadowMaps(const ModelBounds& placed);

// The bounds carried by the placement (uniform scale and translation only).
ModelBounds placedBounds(const ModelBounds& bounds, const Matrix4& placement);
