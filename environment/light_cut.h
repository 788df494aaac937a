// Light cut: where each of an environment's lights came from in its map, kept for the settings panel's picture.
#pragma once

#include <cstdint>
#include <vector>

#include "environment/environment_lights.h"
#include "environment/light_region.h"
#include "math/vector3.h"

// One light's region of the median cut and its light pixel, in map pixels.
struct LightCell {
    std::int32_t x0 = 0;
    std::int32_t x1 = 0;  // exclusive
    std::int32_t y0 = 0;
    std::int32_t y1 = 0;  // exclusive
    std::int32_t column = 0;
    std::int32_t row = 0;
    Vector3 colour;  // the light's colour, R, G, B

    bool holdsPixels() const { return x1 > x0 && y1 > y0; }
};

LightCell lightCellOf(const LightRegion& leaf);

struct LightCut {
    LightCell cells[kDefaultLightCount];
    int count = 0;
    int width = 0;  // the size of the map that was cut
    int height = 0;
    // Grows with every cut recorded, so that a view knows when to draw again.
    std::uint32_t revision = 0;
};

// Environment e's cut as its latest extraction left it.
const LightCut& lightCut(int environment);
// The cut of a width x height map from its leaves in light order.
LightCut lightCutOf(const std::vector<const LightRegion*>& leaves, int width, int height);
// Keeps a cut as environment e's latest, with a new revision.
void keepLightCut(int environment, const LightCut& cut);
// Keeps the leaves (in light order) of environment e's cut of a width x height map.
void recordLightCut(int environment, const std::vector<const LightRegion*>& leaves, int width, int height);
