// Environment start-up: the three maps loaded in order, each turned into its 64 lights.
#pragma once

#include <GL/gl.h>

#include "environment/environment_lights.h"

// Every map is stretched to this many pixels in both directions.
constexpr int kEnvironmentMapSize = 2048;

// The map file of each environment, in environment order.
extern const char* const kEnvironmentFiles[kEnvironmentCount];

// Initialises FreeImage, then for each environment in turn creates its
// texture (textures[e]), reads it back and extracts its lights into
// environmentLights(). A map that cannot be read is logged by name and its
// environment gets 64 black lights; start-up goes on.
void loadEnvironments(GLuint textures[kEnvironmentCount]);
// Deletes the three textures and shuts FreeImage down.
void releaseEnvironments(GLuint textures[kEnvironmentCount]);
