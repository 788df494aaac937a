// Scene start-up and shutdown in one context: a shutdown releases every GL object its start-up made.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glext.h>

#include <ostream>

#include "app/app_config.h"
#include "app/app_window.h"
#include "app/scene_state.h"
#include "frame/scene_lifecycle.h"
#include "frame/scene_targets.h"
#include "platform/platform_services.h"
#include "support/gl_test_context.h"
#include "support/scratch_directory.h"

namespace {

// A start-up makes at most about a hundred names of one kind; the bound holds
// a few cycles' worth even if the driver never reuses a deleted name.
constexpr GLuint kHighestNameChecked = 4096;
constexpr int kColourTargets = 11;  // indices 0 to 10
constexpr int kShadowTargets = 64;  // one per light
constexpr int kScenePrograms = 10;
constexpr int kOverlayGlyphLists = 96;  // characters 32 to 127
constexpr int kSphereLists = 2;  // the view's sphere and the shadow pass's coarser one
constexpr int kEnvironmentTextures = 3;
constexpr int kNoiseTextures = 1;

struct ObjectCounts {
    int textures = 0;
    int buffers = 0;
    int programs = 0;
    int shaders = 0;
    int framebuffers = 0;
    int renderbuffers = 0;
    int lists = 0;

    bool operator==(const ObjectCounts& other) const {
        return textures == other.textures && buffers == other.buffers && programs == other.programs &&
               shaders == other.shaders && framebuffers == other.framebuffers &&
               renderbuffers == other.renderbuffers && lists == other.lists;
    }
};

std::ostream& operator<<(std::ostream& out, const ObjectCounts& counts) {
    return out << "{textures " << counts.textures << ", buffers " << counts.buffers << ", programs "
               << counts.programs << ", shaders " << counts.shaders << ", framebuffers " << counts.framebuffers
               << ", renderbuffers " << counts.renderbuffers << ", lists " << counts.lists << "}";
}

using IsObject = GLboolean(APIENTRYP)(GLuint);

IsObject driverQuery(const char* name) {
    return reinterpret_cast<IsObject>(sdlPlatformServices().glProcAddress(name));
}

int countLive(IsObject isObject) {
    int live = 0;
    for (GLuint name = 1; name <= kHighestNameChecked; ++name) {
        live += isObject(name) == GL_TRUE ? 1 : 0;
    }
    return live;
}

// Every name of each kind that the driver still knows in this context.
ObjectCounts countLiveObjects() {
    ObjectCounts counts;
    counts.textures = countLive(glIsTexture);
    counts.lists = countLive(glIsList);
    counts.buffers = countLive(driverQuery("glIsBuffer"));
    counts.programs = countLive(driverQuery("glIsProgram"));
    counts.shaders = countLive(driverQuery("glIsShader"));
    counts.framebuffers = countLive(driverQuery("glIsFramebuffer"));
    counts.renderbuffers = countLive(driverQuery("glIsRenderbuffer"));
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
        AppConfig::instance().reset();
        AppConfig::instance().load();
        appWindow_.keys = &keys_;
        appWindow_.native = window();
        appWindow_.width = windowWidth();
        appWindow_.height = windowHeight();
    }

    void TearDown() override {
        AppConfig::instance().reset();
        GlTest::TearDown();
    }

    ScratchDirectory scratch_;
    AppWindow appWindow_;
    KeyState keys_;
};

}  // namespace

TEST_F(SceneLifecycleTest, ShutdownReleasesEveryObjectAndEachStartUpCreatesTheSameSet) {
    const ObjectCounts before = countLiveObjects();

    ASSERT_TRUE(initialiseScene(appWindow_, keys_));
    const ObjectCounts first = countLiveObjects();
    // The count itself is checked, so that "no growth" below cannot pass on a
    // lookup that sees nothing.
    EXPECT_EQ(first.textures - before.textures, kEnvironmentTextures + kNoiseTextures + kColourTargets + kShadowTargets);
    EXPECT_EQ(first.framebuffers - before.framebuffers, kColourTargets + kShadowTargets);
    EXPECT_EQ(first.renderbuffers - before.renderbuffers, kColourTargets);
    EXPECT_EQ(first.programs - before.programs, kScenePrograms);
    EXPECT_EQ(first.shaders - before.shaders, 2 * kScenePrograms);
    EXPECT_EQ(first.lists - before.lists, kOverlayGlyphLists + kSphereLists);
    EXPECT_GT(first.buffers, before.buffers) << "the character's meshes have buffer objects";

    // Supersampling on and off replaces every target without keeping old ones.
    sceneState().supersampling = 2;
    rebuildRenderTargets();
    sceneState().supersampling = 1;
    rebuildRenderTargets();
    EXPECT_EQ(countLiveObjects(), first);

    shutdownScene();
    EXPECT_EQ(countLiveObjects(), before) << "after the first shutdown";

    ASSERT_TRUE(initialiseScene(appWindow_, keys_));
    EXPECT_EQ(countLiveObjects(), first) << "after the second start-up";
    shutdownScene();
    EXPECT_EQ(countLiveObjects(), before) << "after the second shutdown";
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
