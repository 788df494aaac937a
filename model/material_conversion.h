// Material conversion: metallic-roughness materials with their base colour textures, samplers and decoded images.
#pragma once

#include "model/model_data.h"
#include "model/model_folder.h"
#include "model/model_source.h"

// Fills data.materials, one per material of the file. data.textures and
// data.images hold only what the base colour textures use, each image
// decoded once; textures and images nothing uses are never decoded.
// folder tells why an external image could not be read.
void convertMaterials(const ModelSource& source, const ModelFolder& folder, ModelData& data);
