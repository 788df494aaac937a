// Environment turn: an environment's rotation about the vertical, which carries its map's frame into the world.
#pragma once

#include "environment/environment_lights.h"
#include "math/vector3.h"
#include "state/scene_state.h"

// A turn about the vertical by the angle whose cosine and sine these are. A
// turn by an angle a shows what the map holds at column c at column
// c + a / 360 degrees of the width; the sky and reflection programs take the
// pair as "envRotation" to look world directions up in the map.
struct EnvironmentTurn {
    float cosine = 1.0f;
    float sine = 0.0f;
};

EnvironmentTurn environmentTurn(float degrees);

// The turn of the environment shown: its angle in the scene state.
EnvironmentTurn currentEnvironmentTurn(const SceneState& state, const EnvironmentLights& lights);

// A direction of the map's own frame (an extracted light's) in the world.
Vector3 mapToWorld(const EnvironmentTurn& turn, const Vector3& mapDirection);

// The same angle from 0 (included) to 360 degrees (excluded).
float wrapDegrees(float degrees);
