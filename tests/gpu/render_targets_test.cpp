// RenderTargets on a real context: complete targets of every format, binding, failure paths.
#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gl_lookup.h"
#include "gpu/render_targets.h"
#include "support/recording_platform.h"

namespace {

class RenderTargetsTest : public LoggedGlTest {
protected:
    void TearDown() override {
        targets_.deleteTargets();
        LoggedGlTest::TearDown();
    }
    RenderTargets targets_;
};

}  // namespace

TEST_F(RenderTargetsTest, EveryFormatIsCompleteAndBindingChangesOnlyTheFramebuffer) {
    ASSERT_TRUE(targets_.initTargets(TargetFormat::kCount));
    glViewport(3, 4, 50, 60);
    for (int format = 0; format < TargetFormat::kCount; ++format) {
        Logger::resetFirstWriteForTesting();
        EXPECT_TRUE(targets_.createTarget(format, 16, format, 8));
        EXPECT_EQ(log(), "Framebuffer Complete\n\n") << "format " << format;
        EXPECT_EQ(targets_.getSize(format), 16);
        targets_.bindTarget(format);
        EXPECT_NE(integerState(GL_FRAMEBUFFER_BINDING_EXT), 0);
        targets_.unbindTarget();
        EXPECT_EQ(integerState(GL_FRAMEBUFFER_BINDING_EXT), 0);
    }
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(std::vector<GLint>(viewport, viewport + 4), (std::vector<GLint>{3, 4, 50, 60}));
    EXPECT_EQ(integerState(GL_DRAW_BUFFER), GL_BACK);
    EXPECT_NO_GL_ERROR();
}

// After each failure the other operations must not call a missing entry point or touch a missing table (a crash).
TEST_F(RenderTargetsTest, FailuresLogTheirCauseAndOnlyRequiredEntryPointsCount) {
    ASSERT_TRUE(targets_.initTargets(3));
    glEnable(0xFFFF);  // an error left pending by earlier work
    EXPECT_FALSE(targets_.createTarget(0, 16, TargetFormat::RECT_RGBA16F, 16));
    EXPECT_EQ(log(), "invalid enumerant\n\n");
    EXPECT_NE(targets_.getTexture(0), 0u) << "the texture name stays in its entry";
    targets_.bindTarget(0);
    EXPECT_EQ(integerState(GL_FRAMEBUFFER_BINDING_EXT), 0);
    Logger::resetFirstWriteForTesting();
    EXPECT_FALSE(targets_.createTarget(1, 16, 42, 16));
    EXPECT_EQ(log(), "Error: unknown render target format 42\n\n");
    EXPECT_EQ(targets_.getTexture(1), 0u);
    EXPECT_TRUE(targets_.createTarget(2, 16, TargetFormat::RGBA8_NEAREST, 0)) << "nothing stays pending";
    targets_.deleteTargets();

    RecordingPlatform recording;
    ScopedPlatformServices fake(recording);
    const auto checkFails = [&](int count, const std::string& message) {
        Logger::resetFirstWriteForTesting();
        RenderTargets targets;
        EXPECT_FALSE(targets.initTargets(count));
        EXPECT_FALSE(targets.createTarget(0, 16, TargetFormat::RECT_RGBA16F, 16));
        targets.bindTarget(0);
        targets.checkStatus();
        targets.unbindTarget();
        EXPECT_EQ(targets.getTexture(0) + targets.getSize(0), 0u);
        targets.deleteTargets();
        EXPECT_EQ(log(), message + "\n\n");
    };
    recording.extensionString = "GL_ARB_shader_objects GL_EXT_framebuffer_blit";
    checkFails(2, "Error: EXT_framebuffer_object not supported!");
    recording.extensionString.reset();
    for (const char* name : {"glIsRenderbufferEXT", "glCheckFramebufferStatusEXT"}) {  // the first and last required
        recording.missingEntryPoints = {name};
        checkFails(2, "Error: EXT_framebuffer_object entrypoints not found!");
    }
    recording.missingEntryPoints.clear();
    checkFails(-1, "Error: FBO Memory Allocation Failed!");

    // Without the unrequired renderbuffer attachment a colour target simply has no depth buffer.
    recording.missingEntryPoints = {"glFramebufferTexture3DEXT", "glFramebufferRenderbufferEXT", "glTexImage3D"};
    Logger::resetFirstWriteForTesting();
    ASSERT_TRUE(targets_.initTargets(1));
    EXPECT_TRUE(targets_.createTarget(0, 16, TargetFormat::RECT_RGBA16F, 16));
    EXPECT_EQ(log(), "Framebuffer Complete\n\n");
    targets_.bindTarget(0);
    GLint depthType = -1;
    driverFunction<PFNGLGETFRAMEBUFFERATTACHMENTPARAMETERIVEXTPROC>("glGetFramebufferAttachmentParameterivEXT")(
        GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE_EXT, &depthType);
    EXPECT_EQ(depthType, GL_NONE);
    targets_.unbindTarget();
    EXPECT_NO_GL_ERROR();
}
