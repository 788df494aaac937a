// Scene start-up and shutdown in one context: a shutdown releases every GL object its start-up made, a user's model's
// included.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "frame/scene_lifecycle.h"
#include "frame/scene_resources.h"
#include "frame/scene_targets.h"
#include "frame/shader_programs.h"
#include "gpu/overlay_font.h"
#include "model/scene_model.h"
#include "platform/platform_services.h"
#include "state/app_config.h"
#include "state/scene_state.h"
#include "support/gl_test_context.h"
#include "support/model_builder.h"
#include "support/program_run.h"
#include "support/scratch_directory.h"

namespace {

const char* const kKinds[] = {"glIsTexture", "glIsList",        "glIsBuffer",      "glIsProgram",
                              "glIsShader",  "glIsFramebuffer", "glIsRenderbuffer"};

// Live names of each kind of kKinds, up to a bound that holds a few start-ups' worth.
std::vector<int> countLiveObjects() {
    std::vector<int> counts;
    for (const char* kind : kKinds) {
        const auto isObject = reinterpret_cast<GLboolean(APIENTRYP)(GLuint)>(sdlPlatformServices().glProcAddress(kind));
        int live = 0;
        for (GLuint name = 1; name <= 4096; ++name) live += isObject(name) == GL_TRUE ? 1 : 0;
        counts.push_back(live);
    }
    return counts;
}

class SceneLifecycleTest : public GlTest {};

}  // namespace

TEST_F(SceneLifecycleTest, ShutdownReleasesEveryObjectAndEachStartUpCreatesTheSameSet) {
    ScratchDirectory scratch;
    linkRunData(scratch.path());
    scratch.writeFile("config.cfg", "128 128 1\n");
    appConfig().reset();
    appConfig().load();
    KeyState keys;
    AppWindow appWindow;
    appWindow.keys = &keys;
    appWindow.native = window();
    appWindow.width = appWindow.height = 128;
    // A user's model with one texture, installed before any context: each start-up makes its objects.
    ModelData textured = singleMeshModel({gridPrimitive(1, 1, 1.0f, 1.0f)});
    textured.images.push_back({1, 1, {255, 255, 255, 255}});
    textured.textures.resize(1);
    textured.textures[0].image = 0;
    auto model = std::make_unique<PreparedModel>();
    std::string cause;
    ASSERT_TRUE(prepareModel(std::move(textured), {}, *model, cause)) << cause;
    ASSERT_TRUE(sceneModel().install(std::move(model), cause)) << cause;
    const int modelTextures = 2;  // its own and the white one that stands in for an untextured material's
    const std::vector<int> before = countLiveObjects();
    initialiseScene(appWindow, keys);
    const std::vector<int> first = countLiveObjects();
    // The counts themselves, so that "no growth" cannot pass on a lookup that sees nothing.
    const int targets = kShadowTargetBase + environmentLights().lightCount;  // one shadow map per light
    // By kind: the maps, noise and targets; the glyphs and the two spheres (the shadow pass's is coarser); the
    // buffers (below); programs, shaders, framebuffers and the depth renderbuffers of the screen targets.
    const std::vector<int> made = {kEnvironmentCount + 1 + targets + modelTextures,
                                   kOverlayGlyphCount + 2,
                                   first[2] - before[2],
                                   kProgramCount,
                                   2 * kProgramCount,
                                   targets,
                                   kShadowTargetBase};
    for (std::size_t kind = 0; kind < made.size(); ++kind) {
        EXPECT_EQ(first[kind] - before[kind], made[kind]) << kKinds[kind];
    }
    EXPECT_GT(first[2], before[2]) << "the character's meshes and the model have buffer objects";
    const std::string log = scratch.readFile("Log.txt");  // every program valid, then every target complete
    EXPECT_LT(log.rfind("Shader Validation ID: "), log.find("Framebuffer Complete")) << log;
    EXPECT_EQ(countOccurrences(log, "Shader Validation ID: "), kProgramCount);
    EXPECT_EQ(countOccurrences(log, "Framebuffer Complete\n\n"), targets);
    sceneState().supersampling = 2;  // replaces every target without keeping old ones
    rebuildRenderTargets();
    sceneState().supersampling = 1;
    rebuildRenderTargets();
    EXPECT_EQ(countLiveObjects(), first);
    for (int cycle = 0; cycle < 2; ++cycle) {
        if (cycle > 0) initialiseScene(appWindow, keys);
        EXPECT_EQ(countLiveObjects(), first) << "after start-up " << cycle;
        shutdownScene();
        EXPECT_EQ(countLiveObjects(), before) << "after shutdown " << cycle;
    }
    EXPECT_TRUE(sceneModel().present()) << "the model outlives its GL objects";
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    sceneModel().clear();
    appConfig().reset();
}
