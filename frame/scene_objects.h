// The scene's objects: the ground quad, the three spheres and the shadow casters.
#pragma once

#include "math/vector3.h"

// The two spheres that never move; the third follows the scene state.
extern const Vector3 kLeftSpherePosition;
extern const Vector3 kBackSpherePosition;

// One quad over the ground, -s to s in x and z, normal up, counter-clockwise seen from above.
void drawGroundQuad();

// The sphere display list under a translation, between a push and a pop.
void drawSphereAt(const Vector3& centre);

// Everything that casts a shadow: the figure (character or model), the small hidden sphere at the
// origin, the three spheres (the coarser shadow list) and the ground.
void drawShadowCasters();
