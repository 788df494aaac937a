// Animation conversion: glTF animation channels of translation, rotation and scale into key times and values.
#pragma once

#include "model/model_data.h"
#include "model/model_source.h"

// Fills data.animations; data.nodes must be converted already (a channel
// may not animate a node that has a matrix). Morph-weight channels are left
// out with a note.
void convertAnimations(const ModelSource& source, ModelData& data);
