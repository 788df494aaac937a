// RenderTargets on a real context: every format's texture and attachments, binding, rendering and sampling, failure paths.
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

GLint texParameter(GLenum target, GLenum name) {
    GLint value = -1;
    glGetTexParameteriv(target, name, &value);
    return value;
}

GLint levelParameter(GLenum target, GLenum name) {
    GLint value = -1;
    glGetTexLevelParameteriv(target, 0, name, &value);
    return value;
}

class RenderTargetsTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        scratch_ = std::make_unique<ScratchDirectory>();
        Logger::resetFirstWriteForTesting();
    }
    void TearDown() override {
        targets_.deleteTargets();
        scratch_.reset();
        GlTest::TearDown();
    }
    std::string log() const { return logText(*scratch_); }

    // An attachment parameter of the framebuffer bound now.
    static GLint attachment(GLenum point, GLenum name) {
        GLint value = -1;
        driverFunction<PFNGLGETFRAMEBUFFERATTACHMENTPARAMETERIVEXTPROC>("glGetFramebufferAttachmentParameterivEXT")(
            GL_FRAMEBUFFER_EXT, point, name, &value);
        return value;
    }
    static GLint depthType() { return attachment(GL_DEPTH_ATTACHMENT_EXT, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE_EXT); }
    static GLint depthName() { return attachment(GL_DEPTH_ATTACHMENT_EXT, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME_EXT); }

    RenderTargets targets_;
    std::unique_ptr<ScratchDirectory> scratch_;
};

}  // namespace

TEST_F(RenderTargetsTest, EveryFormatCreatesACompleteTargetWithItsTextureParameters) {
    struct Expected {
        GLenum target;
        GLint internalFormat, filter, wrap;
    };
    // Indexed by format code.
    const Expected expected[TargetFormat::kCount] = {
        {GL_TEXTURE_2D, GL_RGB, GL_LINEAR, GL_CLAMP_TO_EDGE},
        {GL_TEXTURE_2D, GL_RGBA, GL_NEAREST, GL_CLAMP},
        {GL_TEXTURE_2D, GL_RGB16F_ARB, GL_NEAREST, GL_CLAMP},
        {GL_TEXTURE_2D, GL_RGBA16F_ARB, GL_NEAREST, GL_CLAMP},
        {GL_TEXTURE_2D, GL_RGB32F_ARB, GL_NEAREST, GL_CLAMP},
        {GL_TEXTURE_2D, GL_RGBA32F_ARB, GL_NEAREST, GL_CLAMP},
        {GL_TEXTURE_2D, GL_DEPTH_COMPONENT, GL_LINEAR, GL_CLAMP},
        {GL_TEXTURE_CUBE_MAP, GL_RGB, GL_LINEAR, GL_CLAMP_TO_EDGE},
        {GL_TEXTURE_RECTANGLE_ARB, GL_RGBA16F_ARB, GL_LINEAR, GL_CLAMP},
        {GL_TEXTURE_RECTANGLE_ARB, GL_RGBA32F_ARB, GL_LINEAR, GL_CLAMP},
    };
    const int size = 16, height = 8;
    ASSERT_TRUE(targets_.initTargets(TargetFormat::kCount));
    for (int format = 0; format < TargetFormat::kCount; ++format) {
        SCOPED_TRACE("format " + std::to_string(format));
        const Expected& want = expected[format];
        Logger::resetFirstWriteForTesting();
        EXPECT_TRUE(targets_.createTarget(format, size, format, height));
        EXPECT_EQ(log(), kComplete);
        EXPECT_EQ(integerState(GL_FRAMEBUFFER_BINDING_EXT), 0) << "the window framebuffer is bound again";
        EXPECT_EQ(targets_.getSize(format), size);
        // The new texture is still bound to its target.
        const GLenum binding = want.target == GL_TEXTURE_2D         ? GL_TEXTURE_BINDING_2D
                               : want.target == GL_TEXTURE_CUBE_MAP ? GL_TEXTURE_BINDING_CUBE_MAP
                                                                    : GL_TEXTURE_BINDING_RECTANGLE_ARB;
        ASSERT_EQ(integerState(binding), static_cast<GLint>(targets_.getTexture(format)));
        for (GLenum name : {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER}) {
            EXPECT_EQ(texParameter(want.target, name), want.filter);
        }
        for (GLenum name : {GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T}) {
            EXPECT_EQ(texParameter(want.target, name), want.wrap);
        }
        const bool depth = format == TargetFormat::DEPTH_SHADOW;
        EXPECT_EQ(texParameter(want.target, GL_TEXTURE_COMPARE_MODE_ARB), depth ? GL_COMPARE_R_TO_TEXTURE_ARB : GL_NONE);
        EXPECT_EQ(texParameter(want.target, GL_DEPTH_TEXTURE_MODE_ARB), depth ? GL_INTENSITY : GL_LUMINANCE);
        std::vector<GLenum> images = {want.target};
        if (want.target == GL_TEXTURE_CUBE_MAP) {
            EXPECT_EQ(texParameter(want.target, GL_TEXTURE_WRAP_R), want.wrap);
            images = {GL_TEXTURE_CUBE_MAP_POSITIVE_X, GL_TEXTURE_CUBE_MAP_NEGATIVE_X, GL_TEXTURE_CUBE_MAP_POSITIVE_Y,
                      GL_TEXTURE_CUBE_MAP_NEGATIVE_Y, GL_TEXTURE_CUBE_MAP_POSITIVE_Z, GL_TEXTURE_CUBE_MAP_NEGATIVE_Z};
        }
        for (GLenum image : images) {
            EXPECT_EQ(levelParameter(image, GL_TEXTURE_INTERNAL_FORMAT), want.internalFormat);
            EXPECT_EQ(levelParameter(image, GL_TEXTURE_WIDTH), size);
            EXPECT_EQ(levelParameter(image, GL_TEXTURE_HEIGHT), want.target == GL_TEXTURE_RECTANGLE_ARB ? height : size);
        }
        EXPECT_NO_GL_ERROR();
    }
}

TEST_F(RenderTargetsTest, ShadowAndScreenTargetsHaveTheAttachmentsThePipelineRendersInto) {
    ASSERT_TRUE(targets_.initTargets(12));
    ASSERT_TRUE(targets_.createTarget(11, 512, TargetFormat::DEPTH_SHADOW, 0));
    EXPECT_EQ(levelParameter(GL_TEXTURE_2D, GL_TEXTURE_HEIGHT), 512);
    targets_.bindTarget(11);
    EXPECT_EQ(depthType(), GL_TEXTURE);
    EXPECT_EQ(depthName(), static_cast<GLint>(targets_.getTexture(11)));
    EXPECT_EQ(attachment(GL_COLOR_ATTACHMENT0_EXT, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE_EXT), GL_NONE);
    EXPECT_EQ(integerState(GL_DRAW_BUFFER), GL_NONE);
    EXPECT_EQ(integerState(GL_READ_BUFFER), GL_NONE);
    EXPECT_EQ(integerState(GL_RENDERBUFFER_BINDING_EXT), 0) << "no renderbuffer was made";

    ASSERT_TRUE(targets_.createTarget(3, 800, TargetFormat::RECT_RGBA16F, 600));
    EXPECT_EQ(log(), std::string(kComplete) + kComplete);
    EXPECT_EQ(targets_.getSize(3), 800);
    EXPECT_EQ(levelParameter(GL_TEXTURE_RECTANGLE_ARB, GL_TEXTURE_WIDTH), 800);
    EXPECT_EQ(levelParameter(GL_TEXTURE_RECTANGLE_ARB, GL_TEXTURE_HEIGHT), 600);
    targets_.bindTarget(3);
    EXPECT_EQ(attachment(GL_COLOR_ATTACHMENT0_EXT, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME_EXT),
              static_cast<GLint>(targets_.getTexture(3)));
    EXPECT_EQ(depthType(), GL_RENDERBUFFER_EXT);
    EXPECT_EQ(integerState(GL_DRAW_BUFFER), GL_COLOR_ATTACHMENT0_EXT);
    EXPECT_EQ(integerState(GL_READ_BUFFER), GL_COLOR_ATTACHMENT0_EXT);
    driverFunction<PFNGLBINDRENDERBUFFEREXTPROC>("glBindRenderbufferEXT")(GL_RENDERBUFFER_EXT, depthName());
    const auto renderbufferParameter =
        driverFunction<PFNGLGETRENDERBUFFERPARAMETERIVEXTPROC>("glGetRenderbufferParameterivEXT");
    GLint width = 0, height = 0;
    renderbufferParameter(GL_RENDERBUFFER_EXT, GL_RENDERBUFFER_WIDTH_EXT, &width);
    renderbufferParameter(GL_RENDERBUFFER_EXT, GL_RENDERBUFFER_HEIGHT_EXT, &height);
    EXPECT_EQ(width, 800);
    EXPECT_EQ(height, 600);
    targets_.unbindTarget();
    EXPECT_NO_GL_ERROR();
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

TEST_F(RenderTargetsTest, DeleteTargetsDeletesEveryTextureFramebufferAndRenderbuffer) {
    ASSERT_TRUE(targets_.initTargets(3));
    ASSERT_TRUE(targets_.createTarget(0, 16, TargetFormat::RECT_RGBA16F, 8));
    ASSERT_TRUE(targets_.createTarget(2, 16, TargetFormat::DEPTH_SHADOW, 0));
    targets_.bindTarget(0);
    const GLuint framebuffer = integerState(GL_FRAMEBUFFER_BINDING_EXT), renderbuffer = depthName();
    targets_.bindTarget(2);
    const GLuint shadowFramebuffer = integerState(GL_FRAMEBUFFER_BINDING_EXT);
    targets_.unbindTarget();
    const GLuint textures[] = {targets_.getTexture(0), targets_.getTexture(2)};
    targets_.deleteTargets();
    EXPECT_FALSE(glIsTexture(textures[0]) || glIsTexture(textures[1]));
    const auto isFramebuffer = driverFunction<PFNGLISFRAMEBUFFEREXTPROC>("glIsFramebufferEXT");
    EXPECT_FALSE(isFramebuffer(framebuffer) || isFramebuffer(shadowFramebuffer));
    EXPECT_FALSE(driverFunction<PFNGLISRENDERBUFFEREXTPROC>("glIsRenderbufferEXT")(renderbuffer));
    EXPECT_NO_GL_ERROR();
}

// After each failure the other operations must not call a missing entry point
// or touch a missing table: either would crash the test.
TEST_F(RenderTargetsTest, FailedInitialisationsLogTheirCauseAndOnlyRequiredEntryPointsCount) {
    const char* const required[] = {
        "glIsRenderbufferEXT",  "glBindRenderbufferEXT",     "glDeleteRenderbuffersEXT",
        "glGenRenderbuffersEXT", "glRenderbufferStorageEXT", "glActiveTextureARB",
        "glIsFramebufferEXT",   "glBindFramebufferEXT",      "glDeleteFramebuffersEXT",
        "glGenFramebuffersEXT", "glFramebufferTexture2DEXT", "glGetFramebufferAttachmentParameterivEXT",
        "glGenerateMipmapEXT",  "glCheckFramebufferStatusEXT"};
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
