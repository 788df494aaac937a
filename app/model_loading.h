// Model loading for the program: the --model file at start and .gltf/.glb files dropped on the window, through the
// same two steps (the processor's, which may run on any thread, then the install between frames), every failure
// reported with its file and cause.
#pragma once

#include <string>

#include "model/model_file.h"

// How every model of the run is placed, and whether its triangle counts are printed.
struct ModelRunOptions {
    ModelPlacementOptions placement;
    bool verbose = false;
};
void setModelRunOptions(const ModelRunOptions& options);
const ModelRunOptions& modelRunOptions();

// The main thread's step: makes the loaded model the one in use, or says on
// standard error and in Log.txt why it cannot be (and, for a drop, in the
// overlay), leaving the model in use as it was. True when installed.
bool useLoadedModel(LoadedModel loaded, bool dropped);

// Both steps at once, for the --model file before the window opens.
bool loadStartModel(const std::string& path);

// A .gltf or .glb file dropped on the window starts loading on a worker
// thread while frames go on with the model in use (see background_loads.h);
// the loaded model is installed between two frames.
void dropModelFile(const std::string& path);
