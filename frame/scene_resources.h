// SceneResources: what the passes of a frame share, created by initialiseScene and released by shutdownScene.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include "environment/environment_lights.h"
#include "state/app_window.h"

class RenderTargets;

// Render-target indices. Targets 0 to 4 and 10 are at the supersampled size,
// 5 at half and 6 to 8 at a quarter of the window size, 9 at the window size.
constexpr int kPositionTarget = 0;
constexpr int kNormalTarget = 1;
constexpr int kColourTarget = 2;
constexpr int kLitImageTarget = 3;
constexpr int kSkyTarget = 4;
constexpr int kHalfBloomTarget = 5;
constexpr int kQuarterBloomTarget = 6;
constexpr int kHorizontalBlurTarget = 7;
constexpr int kBloomTarget = 8;
constexpr int kResolveTarget = 9;
constexpr int kSpareTarget = 10;       // created with the others, never drawn into
constexpr int kShadowTargetBase = 11;  // shadow map of light i at 11 + i
constexpr int kShadowMapSize = 512;

constexpr int kMatrixFloats = 16;

struct SceneResources {
    AppWindow* window = nullptr;  // the window the scene was initialised for
    KeyState* keys = nullptr;     // its key table, read by the update step
    PFNGLACTIVETEXTUREPROC activeTexture = nullptr;
    GLuint environmentTextures[kEnvironmentCount] = {};
    GLuint noiseTexture[1] = {};
    GLUquadric* sphereQuadric = nullptr;
    GLuint sphereList = 0;        // one sphere of radius 0.5 at the origin
    GLuint shadowSphereList = 0;  // the same sphere, coarser, for the shadow maps
    RenderTargets* renderTargets = nullptr;
    int shadowTargetBase = kShadowTargetBase;
    // Per light, the shadow pass's model-view and projection, column-major as GL gives them.
    float shadowModelView[kMaxLights][kMatrixFloats] = {};
    float shadowProjection[kMaxLights][kMatrixFloats] = {};
    // Per light, its direction in the world: the current light turned with its
    // environment. The shadow pass sets them; the lighting pass and the light
    // markers read them.
    Vector3 lightDirections[kMaxLights];
};

SceneResources& sceneResources();

// Selects a texture unit (GL_TEXTURE0 + n) when the entry point was found.
void selectTextureUnit(int unit);
