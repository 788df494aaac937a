// Model surfaces: the material rule.
#include "model/model_surface.h"

#include <algorithm>

namespace {

// The lighting program reads the colour alpha above one half as the mirror
// weight, so 0.5 is no mirror and 1 a perfect one.
constexpr float kNoMirrorAlpha = 0.5f;

float unit(float value) { return std::clamp(value, 0.0f, 1.0f); }

}  // namespace

ModelSurface surfaceFor(const ModelMaterial& material) {
    const float smoothness = 1.0f - unit(material.roughnessFactor);
    const float smoothness2 = smoothness * smoothness;
    const float mirror = unit(material.metallicFactor) * smoothness2;
    ModelSurface surface;
    surface.mirrorAlpha = kNoMirrorAlpha + (1.0f - kNoMirrorAlpha) * mirror;
    surface.glossAlpha = smoothness2 * (1.0f - mirror);
    surface.texture = material.baseColourTexture;
    surface.alphaMask = material.alphaMode == AlphaMode::Mask;
    surface.alphaCutoff = material.alphaCutoff;
    surface.doubleSided = material.doubleSided;
    return surface;
}
