// Scene initialisation and shutdown: every resource a frame needs, created in a fixed order for each window.
#include "frame/scene_lifecycle.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdio>
#include <string>

#include "camera/camera.h"
#include "character/mesh_buffers.h"
#include "character/skinned_model.h"
#include "environment/environment_lights.h"
#include "environment/environment_setup.h"
#include "environment/noise_texture.h"
#include "frame/scene_objects.h"
#include "frame/scene_resources.h"
#include "frame/scene_targets.h"
#include "frame/shader_programs.h"
#include "gpu/glsl_manager.h"
#include "gpu/logger.h"
#include "gpu/overlay_font.h"
#include "gpu/render_targets.h"
#include "model/scene_model.h"
#include "platform/gl_entry_points.h"
#include "platform/heap_release.h"
#include "platform/platform_services.h"
#include "state/app_config.h"
#include "state/scene_state.h"

namespace {

constexpr int kOverlayCharacterHeight = -16;  // negative: character height in pixels
constexpr int kSphereSlices = 42;
constexpr int kSphereStacks = 42;
// The shadow pass's sphere: a 512-texel map over the shadow box gives a sphere
// about 23 texels across, where 24 slices differ from 42 by a fifth of a texel at most.
constexpr int kShadowSphereSlices = 24;
constexpr int kShadowSphereStacks = 24;

void createSphereLists(SceneResources& resources) {
    resources.sphereQuadric = gluNewQuadric();
    gluQuadricNormals(resources.sphereQuadric, GLU_SMOOTH);
    gluQuadricTexture(resources.sphereQuadric, GL_TRUE);
    resources.sphereList = glGenLists(1);
    glNewList(resources.sphereList, GL_COMPILE);
    gluSphere(resources.sphereQuadric, kSphereRadius, kSphereSlices, kSphereStacks);
    glEndList();
    resources.shadowSphereList = glGenLists(1);
    glNewList(resources.shadowSphereList, GL_COMPILE);
    gluSphere(resources.sphereQuadric, kSphereRadius, kShadowSphereSlices, kShadowSphereStacks);
    glEndList();
}

void setInitialGlState() {
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClearDepth(1.0);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_DEPTH_TEST);
    glShadeModel(GL_SMOOTH);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
}

// A user's model in use keeps its record across window re-creations; its GL
// objects are made again in each new context.
void createModelBuffers() {
    std::string cause;
    const std::string name = sceneModel().present() ? sceneModel().model().data.sourceName : std::string();
    if (!sceneModel().createBuffers(cause)) {
        const std::string text =
            "Model \"" + name + "\" cannot be drawn: " + cause + ". The built-in character stands in.";
        std::fprintf(stderr, "lumivor: %s\n", text.c_str());
        logger().write(text);
    }
}

}  // namespace

void initialiseScene(AppWindow& window, KeyState& keys) {
    SceneResources& resources = sceneResources();
    SceneState& state = sceneState();
    const AppConfig& config = appConfig();

    // The three maps are read, stretched and cut on worker threads while this
    // thread builds everything else; their textures come in at the end.
    startEnvironmentLoads();

    createOverlayFont(kOverlayCharacterHeight);
    resources.window = &window;
    resources.keys = &keys;
    lookUpEntryPoint(resources.activeTexture, "glActiveTexture");
    state.renderWidth = config.getWidth();
    state.renderHeight = config.getHeight();
    state.supersampling = config.getSupersampling();

    loadBufferEntryPoints();
    skinnedModel().load("animation2.txt");
    createModelBuffers();

    createSphereLists(resources);
    loadScenePrograms();

    resources.shadowTargetBase = kShadowTargetBase;
    resources.renderTargets = new RenderTargets();
    resources.renderTargets->initTargets(resources.shadowTargetBase + environmentLights().lightCount);
    createSceneTargets();

    // The maps' textures and lights, as each worker ends.
    finishEnvironmentLoads(resources.environmentTextures);

    // An unreadable noise map ends the program here, after its message; the
    // maps come first, so that the log names each one that could not be used.
    loadBitmapTexture(resources.noiseTexture, "noise.bmp", 0);

    // The first environment's lights, without changing the selected
    // environment: after a window re-creation the sky keeps the user's choice.
    environmentLights().copyToCurrent(0);

    camera().place(0.0f, 3.0f, 8.0f, 0.0f, 3.0f, 7.0f, 0.0f, 1.0f, 0.0f);
    // After a window re-creation the camera's clock still holds the last
    // frame before it: the start-up's time would move it in one frame.
    camera().restartClock();
    platform().setCursorPosition(state.renderWidth / 2, state.renderHeight / 2);

    setInitialGlState();
    releaseFreeHeapPages();  // decoding and rescaling the maps needed far more than the scene keeps
}

void shutdownScene() {
    SceneResources& resources = sceneResources();
    // Environment textures, then FreeImage.
    releaseEnvironments(resources.environmentTextures);
    GLSLManager& programs = glslManager();
    programs.stopProgram();
    programs.release();
    if (resources.renderTargets != nullptr) {
        resources.renderTargets->deleteTargets();
        delete resources.renderTargets;
        resources.renderTargets = nullptr;
    }
    // The noise texture, the spheres and the character's buffers would go with
    // the context; releasing them here keeps every re-creation leak-free.
    glDeleteTextures(1, resources.noiseTexture);
    resources.noiseTexture[0] = 0;
    glDeleteLists(resources.sphereList, 1);
    resources.sphereList = 0;
    glDeleteLists(resources.shadowSphereList, 1);
    resources.shadowSphereList = 0;
    if (resources.sphereQuadric != nullptr) {
        gluDeleteQuadric(resources.sphereQuadric);
        resources.sphereQuadric = nullptr;
    }
    skinnedModel().release();
    sceneModel().releaseBuffers();
    deleteOverlayFont();
    resources.window = nullptr;
    resources.keys = nullptr;
    releaseFreeHeapPages();
}
