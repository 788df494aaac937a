// Model surfaces: how a glTF metallic-roughness material reaches the G-buffer's glossy and mirror weights and the
// shadow maps' cut-outs.
#pragma once

#include "model/model_data.h"

struct ModelSurface {
    float mirrorAlpha = 0.5f;  // the colour target's alpha: 0.5 reflects nothing, 1 is a mirror
    float glossAlpha = 0.0f;   // the normal target's alpha: 0 matte, 1 glossy
    int texture = -1;          // the base colour texture, an index into ModelData::textures
    bool alphaMask = false;    // cut out where the base colour's alpha is below the cut-off
    float alphaCutoff = 0.5f;
    bool doubleSided = false;  // drawn without back-face culling
};

// The material rule. With smoothness s = 1 - roughness:
//   mirror = metallic x s^2          (a smooth metal is a mirror)
//   glossy = s^2 x (1 - mirror)      (a smooth dielectric is glossy, a rough one matte)
// so a rough metal is a matte surface in its base colour, and the glossy part
// fades out as a metal becomes a mirror. A blended material is drawn opaque.
ModelSurface surfaceFor(const ModelMaterial& material);
