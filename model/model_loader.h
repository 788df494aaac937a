// Model loader: a glTF 2.0 file (.gltf with its files, or .glb) into ModelData, or the cause it is refused; no GL.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/model_data.h"

// The most memory one file may make the loader allocate for its arrays,
// external files and decoded images together.
constexpr std::uint64_t kMaxModelBytes = std::uint64_t{1} << 30;

struct ModelLoadSettings {
    std::uint64_t maxBytes = kMaxModelBytes;
    // Where the lines about content the program ignores (cameras, lights,
    // morph targets, ...) go, one per kind; standard error when null.
    std::vector<std::string>* notes = nullptr;
};

// Loads the model at path. Its buffers and images may be embedded or lie in
// the file's own folder; nothing outside that folder is opened. On success
// out holds the model (out.sourceName is path); on failure out is untouched
// and cause names the file and why it was refused. Safe on any thread: it
// touches no GL and no shared state.
bool loadModel(const std::string& path, ModelData& out, std::string& cause, const ModelLoadSettings& settings = {});

// The same for a file already in memory: folder is where its external files
// lie (empty: it may have none), name is the file's name for messages.
bool loadModelFromMemory(const std::uint8_t* bytes, std::size_t size, const std::string& folder,
                         const std::string& name, ModelData& out, std::string& cause,
                         const ModelLoadSettings& settings = {});
