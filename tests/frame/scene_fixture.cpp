// SceneFixture: initialises the real scene once per suite in a scratch run directory, with a fake cursor and clock.
#include "scene_fixture.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <cstdio>
#include <memory>
#include <sstream>

#include "app/keyboard_controls.h"
#include "camera/camera.h"
#include "environment/environment_lights.h"
#include "frame/draw_frame.h"
#include "frame/scene_lifecycle.h"
#include "frame/scene_resources.h"
#include "frame/scene_targets.h"
#include "gpu/render_targets.h"
#include "platform/native_window.h"
#include "state/app_config.h"
#include "state/scene_state.h"
#include "support/gl_test_context.h"
#include "support/recording_platform.h"
#include "support/scratch_directory.h"

KeyState SceneFixture::keys;
AppWindow SceneFixture::appWindow;
namespace {
std::unique_ptr<ScratchDirectory> directory;
RecordingPlatform platformFake;  // the cursor stays at the mouse-look centre: only tests move the camera
}  // namespace

RecordingPlatform& SceneFixture::fakePlatform() { return platformFake; }

void SceneFixture::SetUpTestSuite() {
    directory = std::make_unique<ScratchDirectory>();
    linkRunData(directory->path());
    std::istringstream config("320 240 1");
    appConfig().load(config);
    setPlatformServices(&platformFake);
    ASSERT_TRUE(startVideo());
    appWindow.keys = &keys;
    appWindow.native = createNativeWindow("lumivor frame test", kWidth, kHeight, WindowFrame::ClientSized);
    ASSERT_NE(appWindow.native, nullptr);
    appWindow.width = kWidth, appWindow.height = kHeight, appWindow.isVisible = 1;
    initialiseScene(appWindow, keys);
}

void SceneFixture::TearDownTestSuite() {
    if (appWindow.native != nullptr) shutdownScene(), destroyNativeWindow(appWindow.native);
    stopVideo();
    setPlatformServices(nullptr);
    directory.reset();
    appConfig().reset();
}

void SceneFixture::SetUp() {
    ASSERT_NE(appWindow.native, nullptr) << "no scene";
    keys.clear();
    SceneState& state = sceneState();
    state.exposure = 1.0f;
    state.lightingProgram = kImageBasedLightingProgram;
    state.spherePosition = Vector3(3.5f, 0.45f, -3.0f);
    state.showHelp = true;
    for (float& rotation : state.environmentRotation) rotation = 0.0f;
    state.showLightMarkers = false;
    setSupersampling(1);
    environmentLights().selectEnvironment(0);
    camera().place(0.0f, 3.0f, 8.0f, 0.0f, 3.0f, 7.0f, 0.0f, 1.0f, 0.0f);
}

void SceneFixture::frame(std::uint32_t milliseconds) {
    platformFake.tickCount += milliseconds;
    updateScene(milliseconds);
    drawFrame();
}

void SceneFixture::setSupersampling(int factor) {
    if (sceneState().supersampling != factor) sceneState().supersampling = factor, rebuildRenderTargets();
}

std::vector<unsigned char> SceneFixture::windowPixels() {
    std::vector<unsigned char> pixels(kWidth * kHeight * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

std::vector<float> SceneFixture::targetPixels(int target, int& width, int& height) {
    glBindTexture(GL_TEXTURE_RECTANGLE_ARB, sceneResources().renderTargets->getTexture(target));
    glGetTexLevelParameteriv(GL_TEXTURE_RECTANGLE_ARB, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_RECTANGLE_ARB, 0, GL_TEXTURE_HEIGHT, &height);
    std::vector<float> pixels(static_cast<std::size_t>(width) * height * 4);
    glGetTexImage(GL_TEXTURE_RECTANGLE_ARB, 0, GL_RGBA, GL_FLOAT, pixels.data());
    return pixels;
}

bool SceneFixture::projectExactly(const Vector3& world, double& x, double& y) {
    GLdouble projection[16], modelView[16], z = 0;
    const GLint viewport[4] = {0, 0, kWidth, kHeight};
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    gluPerspective(65.0, static_cast<double>(kWidth) / kHeight, 0.01, 1000.0);
    glGetDoublev(GL_MODELVIEW_MATRIX, projection);
    glLoadIdentity();
    camera().applyLookAt();
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
    glPopMatrix();
    return gluProject(world.x, world.y, world.z, modelView, projection, viewport, &x, &y, &z) == GL_TRUE && z > 0.0 &&
           z < 1.0;
}

bool SceneFixture::project(const Vector3& world, int& x, int& y) {
    double wx = 0, wy = 0;
    const bool seen = projectExactly(world, wx, wy);
    x = static_cast<int>(wx), y = static_cast<int>(wy);
    return seen && x >= 0 && y >= 0 && x < kWidth && y < kHeight;
}

// Without a display the whole process reports the skip code that ctest shows as a skip.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (!testDisplayAvailable()) return std::puts("no DISPLAY: gl tests run under Xvfb (scripts/test.sh)"), 77;
    return RUN_ALL_TESTS();
}
