// Light map picture file: the picture of a map's cut (environment/light_map_picture.h) saved as PNG.
#pragma once

#include <FreeImage.h>

#include <vector>

#include "environment/light_region.h"

// Draws over a copy of the map (any size, RGB floats): the leaves' rectangles,
// given in cutWidth x cutHeight coordinates, outlined, and a mark at each
// light pixel coloured by the light's brightness. Saves it as PNG; false when
// the file cannot be written.
bool saveLightMapPicture(FIBITMAP* map, const std::vector<const LightRegion*>& leaves, int cutWidth, int cutHeight,
                         const char* fileName);
