// Model file: the processor's half of loading a user's model (reading, checking, preparing), with no GL and no shared
// state, so that it can run on a worker thread; the main thread then installs the result (SceneModel::install).
#pragma once

#include <memory>
#include <string>

#include "model/model_placement.h"
#include "model/prepared_model.h"

// What loading a model file gives the main thread.
struct LoadedModel {
    std::string path;
    std::unique_ptr<PreparedModel> model;  // null when the file was refused
    std::string cause;                     // why, beginning with the file's name
};

// Loads the glTF file (.gltf with its files beside it, or .glb) and prepares it
// for drawing at the placement the options give.
LoadedModel loadModelFile(const std::string& path, const ModelPlacementOptions& options);
