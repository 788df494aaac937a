// Geometry passes: the G-buffer (world positions, normals with gloss, colours with mirror weight) and the sky with
// black silhouettes.
#include "frame/geometry_passes.h"

#include <GL/gl.h>

#include "camera/camera.h"
#include "environment/environment_lights.h"
#include "environment/environment_turn.h"
#include "frame/figure.h"
#include "frame/scene_objects.h"
#include "frame/scene_resources.h"
#include "frame/shader_programs.h"
#include "gpu/glsl_manager.h"
#include "gpu/projections.h"
#include "gpu/render_targets.h"
#include "state/scene_state.h"

namespace {

constexpr float kSkyRotationDegrees = 180.0f;
constexpr float kSkyScale = 100.0f;  // the unit sphere list has radius 0.5: a sky of radius 50

void beginGeometryPass(int target) {
    sceneResources().renderTargets->bindTarget(target);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    camera().applyLookAt();
}

void setOffset(const Vector3& translation, float w) {
    glslManager().setUniform4f(kPositionProgram, "off", translation.x, translation.y, translation.z, w);
}

// World positions: "off" repeats each object's translation, w 1 for objects and 0 for the ground.
void renderPositions() {
    GLSLManager& programs = glslManager();
    const SceneState& state = sceneState();
    beginGeometryPass(kPositionTarget);
    programs.useProgram(kPositionProgram);
    setOffset(Vector3(), 1.0f);
    drawFigure(FigurePass::Positions);
    setOffset(state.spherePosition, 1.0f);
    drawSphereAt(state.spherePosition);
    setOffset(kLeftSpherePosition, 1.0f);
    drawSphereAt(kLeftSpherePosition);
    setOffset(kBackSpherePosition, 1.0f);
    drawSphereAt(kBackSpherePosition);
    setOffset(Vector3(), 0.0f);
    drawGroundQuad();
    programs.stopProgram();
    sceneResources().renderTargets->unbindTarget();
}

// Normals; the colour's alpha carries each object's glossiness.
void renderNormals() {
    GLSLManager& programs = glslManager();
    beginGeometryPass(kNormalTarget);
    programs.useProgram(kNormalProgram);
    drawFigure(FigurePass::Normals);
    glColor4f(1.0f, 1.0f, 1.0f, kMovableSphereSurface.normalAlpha);
    drawSphereAt(sceneState().spherePosition);
    glColor4f(1.0f, 1.0f, 1.0f, kLeftSphereSurface.normalAlpha);
    drawSphereAt(kLeftSpherePosition);
    glColor4f(1.0f, 1.0f, 1.0f, kBackSphereSurface.normalAlpha);
    drawSphereAt(kBackSpherePosition);
    glColor4f(0.9f, 0.8f, 0.7f, 0.0f);
    drawGroundQuad();
    programs.stopProgram();
    sceneResources().renderTargets->unbindTarget();
}

// Unlit colours by the fixed-function pipeline; the alpha carries the mirror weight.
void renderColours() {
    beginGeometryPass(kColourTarget);
    glDisable(GL_TEXTURE_2D);
    glColor4f(0.9f, 0.9f, 0.9f, 0.5f);
    drawFigure(FigurePass::Colours);
    glColor4f(1.0f, 1.0f, 1.0f, kMovableSphereSurface.colourAlpha);
    drawSphereAt(sceneState().spherePosition);
    glColor4f(1.0f, 1.0f, 1.0f, kLeftSphereSurface.colourAlpha);
    drawSphereAt(kLeftSpherePosition);
    glColor4f(1.0f, 1.0f, 1.0f, kBackSphereSurface.colourAlpha);
    drawSphereAt(kBackSpherePosition);
    glColor4f(1.0f, 1.0f, 1.0f, 0.0f);
    drawGroundQuad();
    glColor4f(1.0f, 1.0f, 1.0f, 0.0f);
    glEnable(GL_TEXTURE_2D);
    sceneResources().renderTargets->unbindTarget();
}

// The environment seen from the camera, with the character and spheres as
// black zero-alpha silhouettes; the ground does not hide the sky here.
void renderSky() {
    GLSLManager& programs = glslManager();
    SceneResources& resources = sceneResources();
    const SceneState& state = sceneState();
    beginGeometryPass(kSkyTarget);
    programs.useProgram(kSkyProgram);
    programs.setUniform1i(kSkyProgram, "diffuseMap", 0);
    programs.setUniform1f(kSkyProgram, "expo", state.exposure);
    programs.setUniform1f(kSkyProgram, "ndist", state.ndist);
    const EnvironmentTurn turn = currentEnvironmentTurn(state, environmentLights());
    programs.setUniform4f(kSkyProgram, "envRotation", turn.cosine, turn.sine, 0.0f, 0.0f);
    glCullFace(GL_FRONT);  // the sky sphere is seen from inside
    selectTextureUnit(0);
    glBindTexture(GL_TEXTURE_2D, resources.environmentTextures[environmentLights().currentEnvironment]);
    glPushMatrix();
    glRotatef(kSkyRotationDegrees, 0.0f, 1.0f, 0.0f);
    glScalef(kSkyScale, kSkyScale, kSkyScale);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glCallList(resources.sphereList);
    glPopMatrix();
    glCullFace(GL_BACK);
    programs.stopProgram();

    glDisable(GL_TEXTURE_2D);
    glColor4f(0.0f, 0.0f, 0.0f, 0.0f);
    drawFigure(FigurePass::Silhouette);
    glColor4f(0.0f, 0.0f, 0.0f, 0.0f);
    drawSphereAt(state.spherePosition);
    drawSphereAt(kLeftSpherePosition);
    drawSphereAt(kBackSpherePosition);
    glColor4f(1.0f, 1.0f, 1.0f, 0.0f);
    glEnable(GL_TEXTURE_2D);
    resources.renderTargets->unbindTarget();
}

}  // namespace

void renderGeometryPasses() {
    const SceneState& state = sceneState();
    setPerspectiveProjection(state.supersampling * state.renderWidth, state.supersampling * state.renderHeight);
    renderPositions();
    renderNormals();
    renderColours();
    renderSky();
    // Leaves: blending off, back faces culled, no program, the window framebuffer bound.
}
