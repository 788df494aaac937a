// The scene's objects: the ground quad, the three spheres and the shadow casters.
#pragma once

#include "math/vector3.h"

// The two spheres that never move; the third follows the scene state.
extern const Vector3 kLeftSpherePosition;
extern const Vector3 kBackSpherePosition;
// The radius of the sphere display lists.
constexpr double kSphereRadius = 0.5;
// The small sphere at the character's feet (the origin) casts a shadow but is never drawn in view.
constexpr float kHiddenSphereScale = 0.2f;

// What the geometry passes write for a sphere's surface: its colour's alpha
// (the mirror weight above one half) and its normal's alpha (glossiness).
struct SphereSurface {
    float colourAlpha;
    float normalAlpha;
};
// The movable sphere is a mirror, the one on the left matte, the one behind the character glossy.
constexpr SphereSurface kMovableSphereSurface{1.0f, 0.0f};
constexpr SphereSurface kLeftSphereSurface{0.0f, 0.0f};
constexpr SphereSurface kBackSphereSurface{0.0f, 1.0f};

// One quad over the ground, -s to s in x and z, normal up, counter-clockwise seen from above.
void drawGroundQuad();

// The sphere display list under a translation, between a push and a pop.
void drawSphereAt(const Vector3& centre);

// Everything that casts a shadow: the figure (character or model), the small hidden sphere at the
// origin, the three spheres (the coarser shadow list) and the ground.
void drawShadowCasters();
