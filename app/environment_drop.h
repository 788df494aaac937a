// Dropped maps: an .hdr or .exr file dropped on the window replaces the current environment once loaded.
#pragma once

#include <string>

// Takes an .hdr or .exr file dropped on the window: it starts loading on a
// worker thread for the current environment, while frames go on with the map
// the environment has (see background_loads.h). When the load ends, between
// two frames, the environment gets the new map and lights, or, for a file that
// fails, stays as it was while standard error and for a few seconds the
// overlay say why.
void dropEnvironmentFile(const std::string& path);
