// drawFrame: shadow maps, geometry, lighting, resolve and bloom, composite, light markers, overlay, error check.
#include "frame/draw_frame.h"

#include "frame/geometry_passes.h"
#include "frame/light_markers.h"
#include "frame/lighting_pass.h"
#include "frame/overlay_pass.h"
#include "frame/pass_timer.h"
#include "frame/post_process.h"
#include "frame/scene_resources.h"
#include "frame/shadow_pass.h"

void drawFrame() {
    if (sceneResources().renderTargets == nullptr) {
        return;  // no scene is initialised
    }
    beginPass(FramePass::Shadows);
    renderShadowMaps();
    endPass(FramePass::Shadows);
    beginPass(FramePass::Geometry);
    renderGeometryPasses();
    endPass(FramePass::Geometry);
    beginPass(FramePass::Lighting);
    renderLightingPass();
    endPass(FramePass::Lighting);
    beginPass(FramePass::ResolveAndBloom);
    renderResolveAndBloom();
    endPass(FramePass::ResolveAndBloom);
    beginPass(FramePass::CompositeAndOverlay);
    renderComposite();
    renderLightMarkers();
    renderOverlay();
    endPass(FramePass::CompositeAndOverlay);
    finishFrame();
}
