// Lit-image read-back: the lit and sky targets combined and resolved on the processor, and the unshadowed variant.
#include "frame/lit_image.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstddef>

#include "environment/environment_lights.h"
#include "frame/lighting_pass.h"
#include "frame/scene_resources.h"
#include "gpu/render_targets.h"
#include "state/scene_state.h"

namespace {

constexpr int kChannels = 4;  // the targets are read as RGBA

std::vector<float> readTarget(int target, int width, int height) {
    std::vector<float> pixels(static_cast<std::size_t>(width) * height * kChannels);
    glBindTexture(GL_TEXTURE_RECTANGLE_ARB, sceneResources().renderTargets->getTexture(target));
    glGetTexImage(GL_TEXTURE_RECTANGLE_ARB, 0, GL_RGBA, GL_FLOAT, pixels.data());
    glBindTexture(GL_TEXTURE_RECTANGLE_ARB, 0);
    return pixels;
}

LitImage readScene(const std::vector<float>& sky) {
    const SceneState& state = sceneState();
    const int factor = state.supersampling;
    const int width = factor * state.renderWidth;
    const int height = factor * state.renderHeight;
    return combineWithSky(readTarget(kLitImageTarget, width, height), sky, width, height, factor);
}

}  // namespace

LitImage combineWithSky(const std::vector<float>& lit, const std::vector<float>& sky, int width, int height,
                        int factor) {
    LitImage image;
    image.width = width / factor;
    image.height = height / factor;
    image.rgb.assign(static_cast<std::size_t>(image.width) * image.height * 3, 0.0f);
    const float blockShare = 1.0f / static_cast<float>(factor * factor);
    for (int y = 0; y < image.height * factor; ++y) {
        for (int x = 0; x < image.width * factor; ++x) {
            const std::size_t at = (static_cast<std::size_t>(y) * width + x) * kChannels;
            // The lit image's alpha starts at 1 and the ground's lighting adds
            // its coverage above that: covered ground already shows the environment.
            const float groundCoverage = std::clamp(lit[at + 3] - 1.0f, 0.0f, 1.0f);
            const float skyWeight = sky[at + 3] * (1.0f - groundCoverage);
            float* out = &image.rgb[(static_cast<std::size_t>(y / factor) * image.width + x / factor) * 3];
            for (int c = 0; c < 3; ++c) {
                out[c] += (lit[at + c] + sky[at + c] * skyWeight) * blockShare;
            }
        }
    }
    return image;
}

LitImage readLitImage() {
    const SceneState& state = sceneState();
    const int factor = state.supersampling;
    return readScene(readTarget(kSkyTarget, factor * state.renderWidth, factor * state.renderHeight));
}

LitImage renderUnshadowedLitImage() {
    SceneResources& resources = sceneResources();
    const SceneState& state = sceneState();
    const int factor = state.supersampling;
    const std::vector<float> sky = readTarget(kSkyTarget, factor * state.renderWidth, factor * state.renderHeight);
    // A map at the far depth passes every depth comparison: every light reaches every point.
    glClearDepth(1.0);
    for (int light = 0; light < environmentLights().lightCount; ++light) {
        resources.renderTargets->bindTarget(resources.shadowTargetBase + light);
        glClear(GL_DEPTH_BUFFER_BIT);
    }
    resources.renderTargets->unbindTarget();
    renderLightingPass();
    return readScene(sky);
}
