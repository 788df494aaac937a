// LightRegion: one rectangle of the median-cut tree over a latitude-longitude map.
#pragma once

#include <cstdint>
#include <memory>

#include "math/vector3.h"

struct LightRegion {
    // Bounds in pixels; the end bounds are exclusive. A rectangle with
    // x1 <= x0 or y1 <= y0 holds no pixels but is still a node of the tree.
    std::int32_t x0 = 0;
    std::int32_t x1 = 0;
    std::int32_t y0 = 0;
    std::int32_t y1 = 0;
    float energy = 0.0f;
    Vector3 colour;     // R, G, B; set for leaves
    Vector3 direction;  // unit vector toward the light; set for leaves
    // Steradians the leaf's rectangle covers: the sum of its pixels' row
    // weights times the solid angle of one pixel on the horizon row. Set for leaves.
    float solidAngle = 0.0f;
    // The light's irradiance on a surface facing it (R, G, B): the colour, a
    // latitude-weighted mean, times the pixel count times the horizon pixel's
    // solid angle, which is the sum of radiance times solid angle over the
    // region. Set for leaves.
    Vector3 irradiance;
    // The luminance of the irradiance: the light's weight where lights are
    // weighed against each other. Set for leaves.
    float lightEnergy = 0.0f;
    // The pixel a leaf's direction comes from (row 0 for a leaf without pixels).
    std::int32_t lightColumn = 0;
    std::int32_t lightRow = 0;
    std::unique_ptr<LightRegion> left;
    std::unique_ptr<LightRegion> right;

    LightRegion(std::int32_t firstColumn, std::int32_t endColumn, std::int32_t firstRow, std::int32_t endRow)
        : x0(firstColumn), x1(endColumn), y0(firstRow), y1(endRow) {}

    bool isLeaf() const { return left == nullptr && right == nullptr; }
    bool holdsPixels() const { return x1 > x0 && y1 > y0; }
};
