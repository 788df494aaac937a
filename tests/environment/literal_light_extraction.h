// A deliberately plain median cut for the tests: every quantity computed where the description of the cut uses it.
#pragma once

#include <vector>

#include "math/vector3.h"

struct LiteralLight {
    Vector3 direction, colour;
};

// The lights of the leaves, left subtree before right, for a map of width x height RGB floats, cut depthLimit deep.
std::vector<LiteralLight> literalLights(const float* pixels, int width, int height, int depthLimit);
