// Radiance maps written by tests: a dim sky with one bright disc, every scanline run-length encoded, so large maps stay
// small files.
#pragma once

#include <string>

// A width x height map, grey 0.05 with a disc of radiance 1000 centred at
// column cx, row cy from the top: about 8 MB for 16384 x 8192.
std::string discMap(int width, int height, int cx, int cy, int radius);
