// Deferred lighting pass: adds four shadowed lights per full-target quad, each shadow map's texture matrix mapping
// world positions into it, then the map's ground light in one more quad.
#include "frame/lighting_pass.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include "camera/camera.h"
#include "environment/environment_lights.h"
#include "environment/environment_turn.h"
#include "environment/ground_light.h"
#include "environment/luminance.h"
#include "frame/full_target_quad.h"
#include "frame/scene_resources.h"
#include "frame/shader_programs.h"
#include "gpu/glsl_manager.h"
#include "gpu/projections.h"
#include "gpu/render_targets.h"
#include "state/scene_state.h"

namespace {

constexpr int kEnvironmentUnit = 0;
constexpr int kPositionUnit = 1;
constexpr int kNormalUnit = 2;
constexpr int kColourUnit = 3;
constexpr int kFirstShadowUnit = 4;
constexpr int kLightingSkyUnit = 8;
constexpr int kLightsPerQuad = 4;

const char* const kShadowMapNames[kLightsPerQuad] = {"shaMap0", "shaMap1", "shaMap2", "shaMap3"};
const char* const kDirectionNames[kLightsPerQuad] = {"lDir0", "lDir1", "lDir2", "lDir3"};
const char* const kColourNames[kLightsPerQuad] = {"lColor0", "lColor1", "lColor2", "lColor3"};
const char* const kIrradianceNames[kLightsPerQuad] = {"lIrradiance0", "lIrradiance1", "lIrradiance2", "lIrradiance3"};
const char* const kShadowShiftNames[kLightsPerQuad] = {"lShadowShift0", "lShadowShift1", "lShadowShift2",
                                                       "lShadowShift3"};

const char* const kGroundLightNames[kGroundLightTerms] = {"groundLight0", "groundLight1", "groundLight2",
                                                          "groundLight3", "groundLight4", "groundLight5",
                                                          "groundLight6", "groundLight7", "groundLight8"};

// The shadow lookup moves the point along its normal and toward the light by
// about one shadow-map texel (11 world units over 512 texels), then biases its
// depth by a constant and by the light's slope: a texel covers more of a
// surface the more grazing the light. The slope's tangent stops growing below
// the cosine floor (at about 20), so lights near the horizon do not shadow the
// very surface they light. Both lighting programs read these values.
constexpr float kShadowNormalOffset = 0.03f;
constexpr float kShadowDepthBias = 0.0015f;
constexpr float kShadowSlopeBias = 0.0006f;
constexpr float kShadowMinCosine = 0.05f;

// Column-major 4 x 4 matrix times the column (x, y, z, w).
void transform(const float* m, const float in[4], float out[4]) {
    for (int row = 0; row < 4; ++row) {
        out[row] = m[row] * in[0] + m[4 + row] * in[1] + m[8 + row] * in[2] + m[12 + row] * in[3];
    }
}

// The values the lighting program needs per light that do not depend on the
// pixel; see the program's inputs "lIrradiance" and "lShadowShift".
void setPerLightValues(GLSLManager& programs, int program, int slot, int light, float energy) {
    const EnvironmentLights& lights = environmentLights();
    const SceneResources& resources = sceneResources();
    const Vector3& irradiance = lights.currentIrradiances[light];
    const Vector3& direction = resources.lightDirections[light];

    // A light shines with its region's radiance summed over the region's
    // solid angle: the irradiance it gives a surface facing it. Alpha is its
    // energy, its weight in the ground's shadow share.
    programs.setUniform4f(program, kIrradianceNames[slot], irradiance.x, irradiance.y, irradiance.z, energy);

    // The offset toward the light through the texture matrix: a direction, so
    // only the light's view and projection and the matrix's scale by one half act.
    const float offset[4] = {direction.x * kShadowNormalOffset, direction.y * kShadowNormalOffset,
                             direction.z * kShadowNormalOffset, 0.0f};
    float inView[4];
    float projected[4];
    transform(resources.shadowModelView[light], offset, inView);
    transform(resources.shadowProjection[light], inView, projected);
    programs.setUniform4f(program, kShadowShiftNames[slot], 0.5f * projected[0], 0.5f * projected[1],
                          0.5f * projected[2] - kShadowDepthBias, 0.0f);
}

// Adds the light of the map's ground to the objects: one more quad, with a
// program of its own, so that the 16 light quads do not repeat its work.
void addGroundLight(GLSLManager& programs, const EnvironmentTurn& turn, float width, float height) {
    const IrradianceTerms irradiance = irradianceTerms(environmentLights().currentGroundLight);
    programs.useProgram(kGroundLightProgram);
    programs.setUniform4f(kGroundLightProgram, "envRotation", turn.cosine, turn.sine, 0.0f, 0.0f);
    programs.setUniform1i(kGroundLightProgram, "colMap", kColourUnit);
    programs.setUniform1i(kGroundLightProgram, "norMap", kNormalUnit);
    programs.setUniform1i(kGroundLightProgram, "posMap", kPositionUnit);
    for (int term = 0; term < kGroundLightTerms; ++term) {
        const Vector3& value = irradiance.terms[term];
        programs.setUniform4f(kGroundLightProgram, kGroundLightNames[term], value.x, value.y, value.z, 0.0f);
    }
    drawFullTargetQuad(width, height, 0.0f);
}

// Loads the unit's texture matrix: bias and scale from clip space to 0..1,
// then the light's projection and view, so a world position lands on its
// shadow-map coordinates and depth.
void bindShadowMap(int unit, int light) {
    SceneResources& resources = sceneResources();
    selectTextureUnit(unit);
    glBindTexture(GL_TEXTURE_2D, resources.renderTargets->getTexture(resources.shadowTargetBase + light));
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glTranslatef(0.5f, 0.5f, 0.5f);
    glScalef(0.5f, 0.5f, 0.5f);
    glMultMatrixf(resources.shadowProjection[light]);
    glMultMatrixf(resources.shadowModelView[light]);
    glMatrixMode(GL_MODELVIEW);
}

}  // namespace

void renderLightingPass() {
    SceneResources& resources = sceneResources();
    const SceneState& state = sceneState();
    const EnvironmentLights& lights = environmentLights();
    GLSLManager& programs = glslManager();
    const int width = state.supersampling * state.renderWidth;
    const int height = state.supersampling * state.renderHeight;
    const int program = state.lightingProgram;

    setUnitOrthoProjection(width, height);
    resources.renderTargets->bindTarget(kLitImageTarget);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();

    bindRectangle(kLightingSkyUnit, kSkyTarget);
    bindRectangle(kColourUnit, kColourTarget);
    bindRectangle(kNormalUnit, kNormalTarget);
    bindRectangle(kPositionUnit, kPositionTarget);
    selectTextureUnit(kEnvironmentUnit);
    glBindTexture(GL_TEXTURE_2D, resources.environmentTextures[lights.currentEnvironment]);

    programs.useProgram(program);
    for (int k = kLightsPerQuad - 1; k >= 0; --k) {
        programs.setUniform1i(program, kShadowMapNames[k], kFirstShadowUnit + k);
    }
    programs.setUniform1i(program, "background", kLightingSkyUnit);
    programs.setUniform1i(program, "colMap", kColourUnit);
    programs.setUniform1i(program, "norMap", kNormalUnit);
    programs.setUniform1i(program, "posMap", kPositionUnit);
    programs.setUniform1i(program, "envMap", kEnvironmentUnit);
    programs.setUniform1f(program, "expo", state.exposure);
    const Vector3& eye = camera().position;
    programs.setUniform4f(program, "camPos", eye.x, eye.y, eye.z, 0.0f);
    programs.setUniform1f(program, "groundEnergy", lights.currentGroundEnergy);
    programs.setUniform4f(program, "shadowBias", kShadowNormalOffset, kShadowSlopeBias, kShadowMinCosine, 0.0f);
    programs.setUniform4f(program, "luminanceWeights", kLuminanceWeights[0], kLuminanceWeights[1], kLuminanceWeights[2],
                          0.0f);
    const EnvironmentTurn turn = currentEnvironmentTurn(state, lights);
    programs.setUniform4f(program, "envRotation", turn.cosine, turn.sine, 0.0f, 0.0f);

    // The image-based lighting program leaves the background (no geometry)
    // untouched. With the position pass's depth copied in, every quad is drawn
    // at depth 1 and passes only where geometry lies nearer, so the renderer
    // drops the background before the program runs instead of running the
    // whole program to a discard there. The occlusion program paints the
    // background too and draws every pixel.
    const bool backgroundMasked = program == kImageBasedLightingProgram &&
                                  resources.renderTargets->copyDepth(kPositionTarget, kLitImageTarget, width, height);
    if (backgroundMasked) {
        glDepthFunc(GL_GREATER);
        glDepthMask(GL_FALSE);
        glDepthRange(1.0, 1.0);
    }

    // Every quad adds its four lights to what the earlier quads left.
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    for (int group = 0; group < lights.lightCount; group += kLightsPerQuad) {
        for (int k = kLightsPerQuad - 1; k >= 0; --k) {
            bindShadowMap(kFirstShadowUnit + k, group + k);
        }
        selectTextureUnit(kEnvironmentUnit);
        float energy[kLightsPerQuad];
        for (int k = 0; k < kLightsPerQuad; ++k) {
            const Vector3& direction = resources.lightDirections[group + k];
            const Vector3& colour = lights.currentColours[group + k];
            programs.setUniform4f(program, kDirectionNames[k], direction.x, direction.y, direction.z, 0.0f);
            programs.setUniform4f(program, kColourNames[k], colour.x, colour.y, colour.z, 0.0f);
            energy[k] = lights.currentEnergies[group + k];
            setPerLightValues(programs, program, k, group + k, energy[k]);
        }
        // The four lights' energies, for programs that weigh the lights by
        // them (the occlusion program).
        programs.setUniform4f(program, "lEnergy", energy[0], energy[1], energy[2], energy[3]);
        drawFullTargetQuad(static_cast<float>(width), static_cast<float>(height), 0.0f);
    }
    // The occlusion picture shows what each point sees of the sky, not light,
    // so only image-based lighting gets the ground's light. A ground-light
    // program that failed to build adds nothing.
    if (program == kImageBasedLightingProgram && programs.programLinked(kGroundLightProgram)) {
        addGroundLight(programs, turn, static_cast<float>(width), static_cast<float>(height));
    }
    glDisable(GL_BLEND);
    if (backgroundMasked) {
        glDepthRange(0.0, 1.0);
        glDepthMask(GL_TRUE);
        glDepthFunc(GL_LEQUAL);
    }
    programs.stopProgram();
    resources.renderTargets->unbindTarget();
    // Leaves: unit 0 active, units 4 to 7 with their texture matrices, blending off.
}
