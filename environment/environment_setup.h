// Environment start-up: the three maps loaded side by side on worker threads, uploaded and lit on the main thread.
#pragma once

#include <GL/gl.h>

#include <functional>
#include <memory>
#include <string>

#include "environment/environment_lights.h"
#include "environment/environment_sources.h"
#include "environment/map_loading.h"
#include "platform/background_job.h"

// Initialises FreeImage and starts one worker per environment: environment
// e's file (environmentFile(e)) is read, stretched and cut into its lights, or,
// for a chosen file whose pixels are kept, only cut. Main thread.
void startEnvironmentLoads();
// Waits for the workers in environment order and, as each ends, creates its
// texture (textures[e]) from its pixels and stores its lights in
// environmentLights(). A map that cannot be used is logged by name with the
// cause (and printed on standard error when the user chose the file); its
// texture is 0 x 0 and its environment gets the 64 black lights of an
// all-black map. The pixels of a chosen file are kept for the next start-up.
void finishEnvironmentLoads(GLuint textures[kEnvironmentCount]);
// Both, for callers with nothing to do in between.
void loadEnvironments(GLuint textures[kEnvironmentCount]);

// Makes a loaded map environment e's map and lights: a new texture replaces
// textures[e], and when e is the current environment its lights become the
// current ones. path becomes environment e's file for the rest of the run,
// with the map's pixels kept. Main thread.
void installEnvironment(int environment, const std::string& path, const LoadedMap& map,
                        GLuint textures[kEnvironmentCount]);

// FreeImage kept initialised for as long as the returned handle lives, so
// that a worker may decode images across a window re-creation; made and let
// go on the main thread.
std::shared_ptr<const void> holdImageLibrary();

// The work of a background job that loads path for environment e. Its
// main-thread step installs the map into textures when it loaded, then calls
// done with the result either way (cause says why it failed). FreeImage stays
// initialised until the job is gone, also across a window re-creation; create
// and destroy the job on the main thread.
BackgroundJob::Work environmentLoadWork(int environment, const std::string& path, GLuint* textures,
                                        std::function<void(const LoadedMap&)> done);

// Loads path for environment e at once, on this thread, as a job would
// (tests and tools). On failure nothing changes and cause says why.
bool replaceEnvironment(int environment, const std::string& path, GLuint textures[kEnvironmentCount],
                        std::string& cause);
// Environment e's lights, ground light, ground energy and cut from a loaded
// map, or from a map's pixels (width x height RGB floats, bottom row first)
// cut on this thread. Main thread.
void storeLights(int environment, const LoadedMap& map);
void storeLights(int environment, const float* pixels, int width, int height);
// Deletes the three textures and shuts FreeImage down.
void releaseEnvironments(GLuint textures[kEnvironmentCount]);
