// Model files: scenes built as ModelData written out as glTF files, the way a user's exporter would hand them over.
#pragma once

#include <string>

#include "model/model_data.h"
#include "support/gltf_builder.h"

// The scene as a glTF model: every node, mesh (positions, normals, texture
// coordinates, colours, joints and weights, 32-bit indices), skin, animation,
// material, texture with its sampler, and image, embedded as PNG.
GltfBuilder gltfOf(const ModelData& data);

// A binary glTF file holding everything.
void writeGlb(const ModelData& data, const std::string& path);

// directory/name.gltf with its buffer (name.bin) and images (name-N.png) as files beside it.
void writeGltfFiles(const ModelData& data, const std::string& directory, const std::string& name);
