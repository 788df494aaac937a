// The three projection set-ups the passes use; each sets the viewport, the projection and an identity model-view.
#pragma once

// The perspective's vertical field of view in degrees and its near and far planes.
constexpr double kFieldOfViewDegrees = 65.0;
constexpr double kNearPlane = 0.01;
constexpr double kFarPlane = 1000.0;

// Perspective: 65 degrees vertical field of view, near 0.01, far 1000.
void setPerspectiveProjection(int width, int height);
// Orthographic 0..1 in x and y, near -0.1, far 1: full-target quads and the overlay.
void setUnitOrthoProjection(int width, int height);
// The shadow box: -5.5..5.5 in x and y, near 0.001, far 20.
void setShadowProjection(int width, int height);
