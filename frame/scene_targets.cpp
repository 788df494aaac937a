// Render-target table of the frame: G-buffer, lit image, sky, bloom chain, resolve and one shadow map per light.
#include "frame/scene_targets.h"

#include "environment/environment_lights.h"
#include "frame/scene_resources.h"
#include "gpu/render_targets.h"
#include "platform/heap_release.h"
#include "state/scene_state.h"

void createSceneTargets() {
    SceneResources& resources = sceneResources();
    RenderTargets& targets = *resources.renderTargets;
    const SceneState& state = sceneState();
    const int w = state.renderWidth;
    const int h = state.renderHeight;
    const int s = state.supersampling;

    // Results are not acted on: each creation logs its own framebuffer status.
    for (int index : {kPositionTarget, kNormalTarget, kColourTarget, kLitImageTarget, kSkyTarget}) {
        targets.createTarget(index, s * w, TargetFormat::RECT_RGBA16F, s * h);
    }
    targets.createTarget(kResolveTarget, w, TargetFormat::RECT_RGBA16F, h);
    targets.createTarget(kHalfBloomTarget, w / 2, TargetFormat::RECT_RGBA16F, h / 2);
    for (int index : {kQuarterBloomTarget, kHorizontalBlurTarget, kBloomTarget}) {
        targets.createTarget(index, w / 4, TargetFormat::RECT_RGBA16F, h / 4);
    }
    targets.createTarget(kSpareTarget, s * w, TargetFormat::RECT_RGBA16F, s * h);
    for (int i = 0; i < environmentLights().lightCount; ++i) {
        targets.createTarget(resources.shadowTargetBase + i, kShadowMapSize, TargetFormat::DEPTH_SHADOW, 0);
    }
}

void rebuildRenderTargets() {
    SceneResources& resources = sceneResources();
    if (resources.renderTargets == nullptr) {
        return;  // no scene is initialised
    }
    resources.renderTargets->deleteTargets();
    delete resources.renderTargets;
    resources.renderTargets = new RenderTargets();
    resources.renderTargets->initTargets(resources.shadowTargetBase + environmentLights().lightCount);
    createSceneTargets();
    releaseFreeHeapPages();  // what the old targets held, beyond what the new ones reused
}
