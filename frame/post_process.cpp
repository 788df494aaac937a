// Post-processing passes: supersampling resolve, the quarter-size bloom chain, and the composite with exposure and
// grain.
#include "frame/post_process.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include "frame/full_target_quad.h"
#include "frame/scene_resources.h"
#include "frame/shader_programs.h"
#include "gpu/glsl_manager.h"
#include "gpu/projections.h"
#include "gpu/render_targets.h"
#include "state/scene_state.h"

namespace {

constexpr float kQuadDepth = -0.1f;
// The resolve reads a source of exactly twice the window size: the only
// supersampling factor besides 1 that the configuration and keys allow.
constexpr int kResolveFactor = 2;

constexpr int kSourceUnit = 0;
constexpr int kCompositeSkyUnit = 1;
constexpr int kBloomUnit = 2;
constexpr int kNoiseUnit = 3;

// Sets the destination up: projection and viewport for its size, bound, cleared.
void beginTarget(int target, int width, int height) {
    setUnitOrthoProjection(width, height);
    sceneResources().renderTargets->bindTarget(target);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
}

void downsampleInto(int destination, int width, int height, int source, float combine, int sourceWidth,
                    int sourceHeight) {
    GLSLManager& programs = glslManager();
    beginTarget(destination, width, height);
    bindRectangle(kCompositeSkyUnit, kSkyTarget);
    bindRectangle(kSourceUnit, source);
    programs.useProgram(kDownsampleCombineProgram);
    programs.setUniform1i(kDownsampleCombineProgram, "envi", kCompositeSkyUnit);
    programs.setUniform1i(kDownsampleCombineProgram, "col", kSourceUnit);
    programs.setUniform1f(kDownsampleCombineProgram, "combine", combine);
    drawFullTargetQuad(static_cast<float>(sourceWidth), static_cast<float>(sourceHeight), kQuadDepth);
    sceneResources().renderTargets->unbindTarget();
}

void blurInto(int destination, int source, int width, int height, float directionX, float directionY) {
    GLSLManager& programs = glslManager();
    beginTarget(destination, width, height);
    bindRectangle(kSourceUnit, source);
    programs.useProgram(kBlurProgram);
    programs.setUniform4f(kBlurProgram, "blurDir", directionX, directionY, 0.0f, 0.0f);
    programs.setUniform1i(kBlurProgram, "col", kSourceUnit);
    drawFullTargetQuad(static_cast<float>(width), static_cast<float>(height), kQuadDepth);
    sceneResources().renderTargets->unbindTarget();
}

bool supersampled() { return sceneState().supersampling > 1; }

// The scene image: the resolve when supersampling, else the lit image itself.
int sceneImage() { return supersampled() ? kResolveTarget : kLitImageTarget; }

// Whether the scene image still has to be combined with the sky.
float combineFlag() { return supersampled() ? 0.0f : 1.0f; }

}  // namespace

void renderResolveAndBloom() {
    const SceneState& state = sceneState();
    const int w = state.renderWidth;
    const int h = state.renderHeight;

    if (supersampled()) {
        downsampleInto(kResolveTarget, w, h, kLitImageTarget, 1.0f, kResolveFactor * w, kResolveFactor * h);
    }
    downsampleInto(kHalfBloomTarget, w / 2, h / 2, sceneImage(), combineFlag(), w, h);
    downsampleInto(kQuarterBloomTarget, w / 4, h / 4, kHalfBloomTarget, 0.0f, w / 2, h / 2);
    blurInto(kHorizontalBlurTarget, kQuarterBloomTarget, w / 4, h / 4, 1.0f, 0.0f);
    blurInto(kBloomTarget, kHorizontalBlurTarget, w / 4, h / 4, 0.0f, 1.0f);
}

void renderComposite() {
    SceneResources& resources = sceneResources();
    const SceneState& state = sceneState();
    GLSLManager& programs = glslManager();
    const int w = state.renderWidth;
    const int h = state.renderHeight;

    setUnitOrthoProjection(w, h);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    selectTextureUnit(kNoiseUnit);
    glBindTexture(GL_TEXTURE_2D, resources.noiseTexture[0]);
    bindRectangle(kBloomUnit, kBloomTarget);
    bindRectangle(kCompositeSkyUnit, kSkyTarget);
    bindRectangle(kSourceUnit, sceneImage());
    programs.useProgram(kCompositeProgram);
    programs.setUniform1f(kCompositeProgram, "expo", state.exposure);
    programs.setUniform1i(kCompositeProgram, "noiseMap", kNoiseUnit);
    programs.setUniform1i(kCompositeProgram, "norMap", kBloomUnit);
    programs.setUniform1i(kCompositeProgram, "env", kCompositeSkyUnit);
    programs.setUniform1i(kCompositeProgram, "map", kSourceUnit);
    programs.setUniform1f(kCompositeProgram, "combine", combineFlag());
    programs.setUniform4f(kCompositeProgram, "size", static_cast<float>(w), static_cast<float>(h), 0.0f, 0.0f);
    drawFullTargetQuad(static_cast<float>(w), static_cast<float>(h), kQuadDepth);
    programs.stopProgram();
    // Leaves: the window framebuffer bound, no program, unit 0 active, the unit projection for W x H.
}
