// Light map picture: a latitude-longitude map tone-mapped to 8-bit RGB, its cut's regions outlined and its lights
// marked.
#pragma once

#include <cstdint>
#include <vector>

#include "environment/light_cut.h"

// An 8-bit RGB picture, rows bottom first without padding.
struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
};

// Draws the map (width x height RGB floats, bottom row first) tone-mapped,
// the cells' regions, given in cutWidth x cutHeight coordinates, outlined in
// grey, and at each light pixel a square of 2 * markRadius + 1 pixels with a
// black rim, coloured by the light's brightness: the brightest red, through
// green, to blue three decades below it.
RgbPicture drawLightMapPicture(const float* map, int width, int height, const LightCell* cells, int count, int cutWidth,
                               int cutHeight, int markRadius);

// The map (width x height RGB floats) at targetWidth x targetHeight: each
// target pixel is the mean of the source pixels whose centres it covers, so
// a small sun is kept, dimmed, rather than missed.
std::vector<float> resampleMap(const float* map, int width, int height, int targetWidth, int targetHeight);
