// RenderTargets on a real context: complete targets of every format, attachments, binding, sampling, failure paths.
#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "gl_lookup.h"
#include "gpu/glsl_manager.h"
#include "gpu/logger.h"
#include "gpu/render_targets.h"
#include "support/gl_test_context.h"
#include "support/recording_platform.h"

namespace {

const char* const kComplete = "Framebuffer Complete\n\n";

class RenderTargetsTest : public LoggedGlTest {
protected:
    void TearDown() override {
        targets_.deleteTargets();
        LoggedGlTest::TearDown();
    }

    // An attachment parameter of the framebuffer bound now.
    static GLint attachment(GLenum point, GLenum name) {
        GLint value = -1;
        driverFunction<PFNGLGETFRAMEBUFFERATTACHMENTPARAMETERIVEXTPROC>("glGetFramebufferAttachmentParameterivEXT")(
            GL_FRAMEBUFFER_EXT, point, name, &value);
        return value;
    }
    static GLint depthType() { return attachment(GL_DEPTH_ATTACHMENT_EXT, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE_EXT); }

    RenderTargets targets_;
};

}  // namespace

TEST_F(RenderTargetsTest, EveryFormatCreatesACompleteTargetAndRebindsTheWindow) {
    ASSERT_TRUE(targets_.initTargets(TargetFormat::kCount));
    for (int format = 0; format < TargetFormat::kCount; ++format) {
        SCOPED_TRACE("format " + std::to_string(format));
        Logger::resetFirstWriteForTesting();
        EXPECT_TRUE(targets_.createTarget(format, 16, format, 8));
        EXPECT_EQ(log(), kComplete);
        EXPECT_EQ(integerState(GL_FRAMEBUFFER_BINDING_EXT), 0) << "the window framebuffer is bound again";
        EXPECT_EQ(targets_.getSize(format), 16);
        EXPECT_NO_GL_ERROR();
    }
}

TEST_F(RenderTargetsTest, BindingATargetChangesOnlyTheFramebufferBinding) {
    ASSERT_TRUE(targets_.initTargets(2));
    ASSERT_TRUE(targets_.createTarget(1, 32, TargetFormat::RECT_RGBA16F, 16));
    glViewport(3, 4, 50, 60);
    glDrawBuffer(GL_BACK);
    targets_.bindTarget(1);
    EXPECT_NE(integerState(GL_FRAMEBUFFER_BINDING_EXT), 0);
    targets_.unbindTarget();
    EXPECT_EQ(integerState(GL_FRAMEBUFFER_BINDING_EXT), 0);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(std::vector<GLint>(viewport, viewport + 4), (std::vector<GLint>{3, 4, 50, 60}));
    EXPECT_EQ(integerState(GL_DRAW_BUFFER), GL_BACK);
    EXPECT_NO_GL_ERROR();
}

// A gradient beyond 0..1 is drawn into a half-float target, sampled through a
// rectangle sampler (at texel centres, so the linear filter blends nothing)
// into a float target, and read back.
TEST_F(RenderTargetsTest, RenderedValuesSurviveSamplingIntoAnotherTarget) {
    const int width = 8, height = 4;
    scratch_->writeFile("quad.vsh", "#version 120\nvoid main() { gl_Position = ftransform(); }\n");
    scratch_->writeFile("gradient.fsh", "#version 120\nvoid main() { gl_FragColor = vec4(gl_FragCoord.xy, 2.5, -1.0); }\n");
    scratch_->writeFile("copy.fsh",
                        "#version 120\n#extension GL_ARB_texture_rectangle : enable\nuniform sampler2DRect source;\n"
                        "void main() { gl_FragColor = texture2DRect(source, gl_FragCoord.xy) * 2.0; }\n");
    GLSLManager shaders;
    ASSERT_TRUE(shaders.initExtensions());
    shaders.allocatePrograms(2);
    shaders.loadProgram("quad.vsh", "gradient.fsh", 0);
    shaders.loadProgram("quad.vsh", "copy.fsh", 1);
    ASSERT_TRUE(targets_.initTargets(2));
    ASSERT_TRUE(targets_.createTarget(0, width, TargetFormat::RECT_RGBA16F, height));
    ASSERT_TRUE(targets_.createTarget(1, width, TargetFormat::RECT_RGBA32F, height));
    glMatrixMode(GL_PROJECTION);
    glOrtho(0.0, 1.0, 0.0, 1.0, -1.0, 1.0);
    glViewport(0, 0, width, height);
    targets_.bindTarget(0);
    shaders.useProgram(0);
    glRectf(0.0f, 0.0f, 1.0f, 1.0f);
    targets_.bindTarget(1);
    shaders.useProgram(1);
    shaders.setUniform1i(1, "source", 0);
    glBindTexture(GL_TEXTURE_RECTANGLE_ARB, targets_.getTexture(0));
    glRectf(0.0f, 0.0f, 1.0f, 1.0f);
    targets_.unbindTarget();
    shaders.release();

    std::vector<GLfloat> pixels(width * height * 4, 0.0f);
    glBindTexture(GL_TEXTURE_RECTANGLE_ARB, targets_.getTexture(1));
    glGetTexImage(GL_TEXTURE_RECTANGLE_ARB, 0, GL_RGBA, GL_FLOAT, pixels.data());
    for (int i = 0; i < width * height; ++i) {
        const std::vector<GLfloat> expected = {2.0f * (i % width) + 1.0f, 2.0f * (i / width) + 1.0f, 5.0f, -2.0f};
        EXPECT_EQ(std::vector<GLfloat>(&pixels[i * 4], &pixels[i * 4 + 4]), expected) << "pixel " << i;
    }
    EXPECT_NO_GL_ERROR();
}

TEST_F(RenderTargetsTest, AGlErrorFailsTheCreationWithTheDriversTextAndNoFramebuffer) {
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
    EXPECT_NO_GL_ERROR();
}

// After each failure the other operations must not call a missing entry point
// or touch a missing table: either would crash the test.
TEST_F(RenderTargetsTest, FailedInitialisationsLogTheirCauseAndOnlyRequiredEntryPointsCount) {
    // The first and the last of the required entry points.
    const char* const required[] = {"glIsRenderbufferEXT", "glCheckFramebufferStatusEXT"};
    RecordingPlatform recording;
    ScopedPlatformServices fake(recording);
    const auto checkFails = [&](int count, const char* message) {
        Logger::resetFirstWriteForTesting();
        RenderTargets targets;
        EXPECT_FALSE(targets.initTargets(count));
        EXPECT_FALSE(targets.createTarget(0, 16, TargetFormat::RECT_RGBA16F, 16));
        targets.bindTarget(0);
        targets.checkStatus();
        targets.unbindTarget();
        EXPECT_EQ(targets.getTexture(0), 0u);
        EXPECT_EQ(targets.getSize(0), 0);
        targets.deleteTargets();
        EXPECT_EQ(log(), std::string(message) + "\n\n");
    };
    recording.extensionString = "GL_ARB_shader_objects GL_EXT_framebuffer_blit";
    checkFails(2, "Error: EXT_framebuffer_object not supported!");
    recording.extensionString.reset();
    for (const char* name : required) {
        SCOPED_TRACE(name);
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
    EXPECT_EQ(log(), kComplete);
    targets_.bindTarget(0);
    EXPECT_EQ(depthType(), GL_NONE);
    targets_.unbindTarget();
    EXPECT_NO_GL_ERROR();
}
