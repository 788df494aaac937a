// Scene start-up and shutdown in one context: a shutdown releases every GL object its start-up made.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glext.h>

#include <vector>

#include "app/app_config.h"
#include "app/app_window.h"
#include "app/scene_state.h"
#include "frame/scene_lifecycle.h"
#include "frame/scene_resources.h"
#include "frame/shader_programs.h"
#include "frame/scene_targets.h"
#include "gpu/overlay_font.h"
#include "platform/platform_services.h"
#include "support/gl_test_context.h"
#include "support/scratch_directory.h"

namespace {

// A start-up makes at most about a hundred names of one kind; the bound holds
// a few cycles' worth even if the driver never reuses a deleted name.
constexpr GLuint kHighestNameChecked = 4096;
constexpr int kColourTargets = kShadowTargetBase;  // every target before the shadow maps

// Live names of each kind, in the order of kKinds.
const char* const kKinds[] = {"glIsTexture", "glIsList",        "glIsBuffer",      "glIsProgram",
                              "glIsShader",  "glIsFramebuffer", "glIsRenderbuffer"};
using ObjectCounts = std::vector<int>;

ObjectCounts countLiveObjects() {
    ObjectCounts counts;
    for (const char* kind : kKinds) {
        const auto isObject =
            reinterpret_cast<GLboolean(APIENTRYP)(GLuint)>(sdlPlatformServices().glProcAddress(kind));
        int live = 0;
        for (GLuint name = 1; name <= kHighestNameChecked; ++name) {
            live += isObject(name) == GL_TRUE ? 1 : 0;
        }
        counts.push_back(live);
    }
    return counts;
}

class SceneLifecycleTest : public GlTest {
protected:
    int windowWidth() const override { return 160; }
    int windowHeight() const override { return 120; }

    void SetUp() override {
        GlTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        // The run directory's data, with a small configuration of our own.
        linkRunData(scratch_.path());
        scratch_.writeFile("config.cfg", "160 120 1\n");
        appConfig().reset();
        appConfig().load();
        appWindow_.keys = &keys_;
        appWindow_.native = window();
        appWindow_.width = windowWidth();
        appWindow_.height = windowHeight();
    }

    void TearDown() override {
        appConfig().reset();
        GlTest::TearDown();
    }

    ScratchDirectory scratch_;
    AppWindow appWindow_;
    KeyState keys_;
};

}  // namespace

TEST_F(SceneLifecycleTest, ShutdownReleasesEveryObjectAndEachStartUpCreatesTheSameSet) {
    const ObjectCounts before = countLiveObjects();

    initialiseScene(appWindow_, keys_);
    const ObjectCounts first = countLiveObjects();
    // The count itself is checked, so that "no growth" below cannot pass on a
    // lookup that sees nothing: the maps and the noise, glyph lists and the sphere.
    const int targets = kColourTargets + environmentLights().lightCount;  // one shadow map per light
    const ObjectCounts made = {kEnvironmentCount + 1 + targets, kOverlayGlyphCount + 1, first[2] - before[2],
                               kProgramCount, 2 * kProgramCount, targets, kColourTargets};
    for (std::size_t kind = 0; kind < made.size(); ++kind) {
        EXPECT_EQ(first[kind] - before[kind], made[kind]) << kKinds[kind];
    }
    EXPECT_GT(first[2], before[2]) << "the character's meshes have buffer objects";

    // Supersampling on and off replaces every target without keeping old ones.
    sceneState().supersampling = 2;
    rebuildRenderTargets();
    sceneState().supersampling = 1;
    rebuildRenderTargets();
    EXPECT_EQ(countLiveObjects(), first);

    shutdownScene();
    EXPECT_EQ(countLiveObjects(), before) << "after the first shutdown";

    initialiseScene(appWindow_, keys_);
    EXPECT_EQ(countLiveObjects(), first) << "after the second start-up";
    shutdownScene();
    EXPECT_EQ(countLiveObjects(), before) << "after the second shutdown";
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
