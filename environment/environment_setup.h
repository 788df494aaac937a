// Environment start-up: the three maps loaded in order, each turned into its 64 lights and its ground light.
#pragma once

#include <GL/gl.h>

#include <string>

#include "environment/environment_lights.h"
#include "environment/environment_sources.h"

// Every map is stretched to this many pixels in both directions.
constexpr int kEnvironmentMapSize = 2048;

// Initialises FreeImage, then for each environment in turn creates its
// texture (textures[e]) from environmentFile(e), reads it back and extracts
// its lights into environmentLights(). A map that cannot be used is logged by
// name with the cause (and printed on standard error when the user chose the
// file) and its environment gets 64 black lights; start-up goes on.
void loadEnvironments(GLuint textures[kEnvironmentCount]);

// Replaces environment e's map and lights by the file's, through the same
// load, rescale and extraction; when e is the current environment its lights
// become the current ones. The file becomes environment e's file for the rest
// of the run. On failure nothing changes and cause says why.
bool replaceEnvironment(int environment, const std::string& path, GLuint textures[kEnvironmentCount],
                        std::string& cause);
// Environment e's lights, ground light and ground energy from its map's
// pixels (width x height RGB floats, bottom row first).
void storeLights(int environment, const float* pixels, int width, int height);
// Deletes the three textures and shuts FreeImage down.
void releaseEnvironments(GLuint textures[kEnvironmentCount]);
