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
#include "support/program_run.h"
#include "support/recording_platform.h"

namespace {

const char* const kComplete = "Framebuffer Complete\n\n";

GLint integerState(GLenum name) {
    GLint value = -1;
    glGetIntegerv(name, &value);
    return value;
}

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
        attachmentParameter_ = driverFunction<PFNGLGETFRAMEBUFFERATTACHMENTPARAMETERIVEXTPROC>(
            "glGetFramebufferAttachmentParameterivEXT");
        renderbufferParameter_ =
            driverFunction<PFNGLGETRENDERBUFFERPARAMETERIVEXTPROC>("glGetRenderbufferParameterivEXT");
        bindRenderbuffer_ = driverFunction<PFNGLBINDRENDERBUFFEREXTPROC>("glBindRenderbufferEXT");
    }
    void TearDown() override {
        targets_.deleteTargets();
        scratch_.reset();
        GlTest::TearDown();
    }

    std::string log() const { return logText(*scratch_); }

    // Attachment queries on the framebuffer bound now.
    GLint attachment(GLenum point, GLenum name) const {
        GLint value = -1;
        attachmentParameter_(GL_FRAMEBUFFER_EXT, point, name, &value);
        return value;
    }
    GLint renderbufferSize(GLuint renderbuffer, GLenum name) const {
        bindRenderbuffer_(GL_RENDERBUFFER_EXT, renderbuffer);
        GLint value = -1;
        renderbufferParameter_(GL_RENDERBUFFER_EXT, name, &value);
        return value;
    }

    RenderTargets targets_;
    std::unique_ptr<ScratchDirectory> scratch_;
    PFNGLGETFRAMEBUFFERATTACHMENTPARAMETERIVEXTPROC attachmentParameter_ = nullptr;
    PFNGLGETRENDERBUFFERPARAMETERIVEXTPROC renderbufferParameter_ = nullptr;
    PFNGLBINDRENDERBUFFEREXTPROC bindRenderbuffer_ = nullptr;
};

struct ExpectedTexture {
    int format;
    GLenum target;
    GLint internalFormat;
    GLint filter;
    GLint wrap;
    bool usesHeight;
};

}  // namespace

TEST_F(RenderTargetsTest, EveryFormatCreatesACompleteTargetWithItsTextureParameters) {
    const ExpectedTexture expected[] = {
        {TargetFormat::RGB8_LINEAR, GL_TEXTURE_2D, GL_RGB, GL_LINEAR, GL_CLAMP_TO_EDGE, false},
        {TargetFormat::RGBA8_NEAREST, GL_TEXTURE_2D, GL_RGBA, GL_NEAREST, GL_CLAMP, false},
        {TargetFormat::RGB16F, GL_TEXTURE_2D, GL_RGB16F_ARB, GL_NEAREST, GL_CLAMP, false},
        {TargetFormat::RGBA16F, GL_TEXTURE_2D, GL_RGBA16F_ARB, GL_NEAREST, GL_CLAMP, false},
        {TargetFormat::RGB32F, GL_TEXTURE_2D, GL_RGB32F_ARB, GL_NEAREST, GL_CLAMP, false},
        {TargetFormat::RGBA32F, GL_TEXTURE_2D, GL_RGBA32F_ARB, GL_NEAREST, GL_CLAMP, false},
        {TargetFormat::DEPTH_SHADOW, GL_TEXTURE_2D, GL_DEPTH_COMPONENT, GL_LINEAR, GL_CLAMP, false},
        {TargetFormat::CUBE_RGB8, GL_TEXTURE_CUBE_MAP, GL_RGB, GL_LINEAR, GL_CLAMP_TO_EDGE, false},
        {TargetFormat::RECT_RGBA16F, GL_TEXTURE_RECTANGLE_ARB, GL_RGBA16F_ARB, GL_LINEAR, GL_CLAMP, true},
        {TargetFormat::RECT_RGBA32F, GL_TEXTURE_RECTANGLE_ARB, GL_RGBA32F_ARB, GL_LINEAR, GL_CLAMP, true},
    };
    const int size = 16;
    const int height = 8;
    ASSERT_TRUE(targets_.initTargets(TargetFormat::kCount));
    std::string expectedLog;
    for (const ExpectedTexture& format : expected) {
        SCOPED_TRACE("format " + std::to_string(format.format));
        EXPECT_TRUE(targets_.createTarget(format.format, size, format.format, height));
        expectedLog += kComplete;
        EXPECT_EQ(log(), expectedLog);
        EXPECT_EQ(integerState(GL_FRAMEBUFFER_BINDING_EXT), 0) << "the window framebuffer is bound again";
        EXPECT_EQ(targets_.getSize(format.format), size);

        // The new texture is still bound to its target.
        const GLuint texture = targets_.getTexture(format.format);
        ASSERT_NE(texture, 0u);
        const GLenum binding = format.target == GL_TEXTURE_2D           ? GL_TEXTURE_BINDING_2D
                               : format.target == GL_TEXTURE_CUBE_MAP ? GL_TEXTURE_BINDING_CUBE_MAP
                                                                      : GL_TEXTURE_BINDING_RECTANGLE_ARB;
        EXPECT_EQ(integerState(binding), static_cast<GLint>(texture));
        EXPECT_EQ(texParameter(format.target, GL_TEXTURE_MIN_FILTER), format.filter);
        EXPECT_EQ(texParameter(format.target, GL_TEXTURE_MAG_FILTER), format.filter);
        EXPECT_EQ(texParameter(format.target, GL_TEXTURE_WRAP_S), format.wrap);
        EXPECT_EQ(texParameter(format.target, GL_TEXTURE_WRAP_T), format.wrap);
        const bool depth = format.format == TargetFormat::DEPTH_SHADOW;
        EXPECT_EQ(texParameter(format.target, GL_TEXTURE_COMPARE_MODE_ARB),
                  depth ? GL_COMPARE_R_TO_TEXTURE_ARB : GL_NONE);
        if (depth) {
            EXPECT_EQ(texParameter(format.target, GL_DEPTH_TEXTURE_MODE_ARB), GL_INTENSITY);
            EXPECT_EQ(texParameter(format.target, GL_TEXTURE_COMPARE_FUNC_ARB), GL_LEQUAL);
        }
        std::vector<GLenum> images = {format.target};
        if (format.target == GL_TEXTURE_CUBE_MAP) {
            EXPECT_EQ(texParameter(format.target, GL_TEXTURE_WRAP_R), format.wrap);
            images.clear();
            for (GLenum face = GL_TEXTURE_CUBE_MAP_POSITIVE_X; face <= GL_TEXTURE_CUBE_MAP_NEGATIVE_Z; ++face) {
                images.push_back(face);
            }
        }
        for (GLenum image : images) {
            EXPECT_EQ(levelParameter(image, GL_TEXTURE_INTERNAL_FORMAT), format.internalFormat);
            EXPECT_EQ(levelParameter(image, GL_TEXTURE_WIDTH), size);
            EXPECT_EQ(levelParameter(image, GL_TEXTURE_HEIGHT), format.usesHeight ? height : size);
            EXPECT_EQ(levelParameter(image, GL_TEXTURE_BORDER), 0);
        }
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

TEST_F(RenderTargetsTest, AShadowTargetIsASquareDepthTextureAndNothingElse) {
    ASSERT_TRUE(targets_.initTargets(12));
    ASSERT_TRUE(targets_.createTarget(11, 512, TargetFormat::DEPTH_SHADOW, 0));
    EXPECT_EQ(log(), kComplete);
    const GLuint texture = targets_.getTexture(11);
    EXPECT_EQ(levelParameter(GL_TEXTURE_2D, GL_TEXTURE_WIDTH), 512);
    EXPECT_EQ(levelParameter(GL_TEXTURE_2D, GL_TEXTURE_HEIGHT), 512);
    EXPECT_EQ(texParameter(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE_ARB), GL_COMPARE_R_TO_TEXTURE_ARB);

    targets_.bindTarget(11);
    EXPECT_EQ(attachment(GL_DEPTH_ATTACHMENT_EXT, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE_EXT), GL_TEXTURE);
    EXPECT_EQ(attachment(GL_DEPTH_ATTACHMENT_EXT, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME_EXT),
              static_cast<GLint>(texture));
    EXPECT_EQ(attachment(GL_COLOR_ATTACHMENT0_EXT, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE_EXT), GL_NONE);
    EXPECT_EQ(integerState(GL_DRAW_BUFFER), GL_NONE);
    EXPECT_EQ(integerState(GL_READ_BUFFER), GL_NONE);
    EXPECT_EQ(integerState(GL_RENDERBUFFER_BINDING_EXT), 0) << "no renderbuffer was made";
    targets_.unbindTarget();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(RenderTargetsTest, AScreenTargetIsAHalfFloatRectangleWithADepthRenderbufferOfTheSameSize) {
    ASSERT_TRUE(targets_.initTargets(10));
    ASSERT_TRUE(targets_.createTarget(3, 800, TargetFormat::RECT_RGBA16F, 600));
    EXPECT_EQ(log(), kComplete);
    EXPECT_EQ(targets_.getSize(3), 800);
    EXPECT_EQ(levelParameter(GL_TEXTURE_RECTANGLE_ARB, GL_TEXTURE_WIDTH), 800);
    EXPECT_EQ(levelParameter(GL_TEXTURE_RECTANGLE_ARB, GL_TEXTURE_HEIGHT), 600);
    EXPECT_EQ(levelParameter(GL_TEXTURE_RECTANGLE_ARB, GL_TEXTURE_INTERNAL_FORMAT), GL_RGBA16F_ARB);

    targets_.bindTarget(3);
    EXPECT_EQ(attachment(GL_COLOR_ATTACHMENT0_EXT, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME_EXT),
              static_cast<GLint>(targets_.getTexture(3)));
    EXPECT_EQ(attachment(GL_DEPTH_ATTACHMENT_EXT, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE_EXT), GL_RENDERBUFFER_EXT);
    const GLuint depth = attachment(GL_DEPTH_ATTACHMENT_EXT, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME_EXT);
    EXPECT_EQ(integerState(GL_DRAW_BUFFER), GL_COLOR_ATTACHMENT0_EXT);
    EXPECT_EQ(integerState(GL_READ_BUFFER), GL_COLOR_ATTACHMENT0_EXT);
    targets_.unbindTarget();
    EXPECT_EQ(renderbufferSize(depth, GL_RENDERBUFFER_WIDTH_EXT), 800);
    EXPECT_EQ(renderbufferSize(depth, GL_RENDERBUFFER_HEIGHT_EXT), 600);
    EXPECT_EQ(renderbufferSize(depth, GL_RENDERBUFFER_INTERNAL_FORMAT_EXT), GL_DEPTH_COMPONENT);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(RenderTargetsTest, BindingATargetChangesOnlyTheFramebufferBinding) {
    ASSERT_TRUE(targets_.initTargets(2));
    ASSERT_TRUE(targets_.createTarget(1, 32, TargetFormat::RECT_RGBA16F, 16));
    glViewport(3, 4, 50, 60);
    glDrawBuffer(GL_BACK);
    targets_.bindTarget(1);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 3);
    EXPECT_EQ(viewport[3], 60);
    EXPECT_NE(integerState(GL_FRAMEBUFFER_BINDING_EXT), 0);
    targets_.unbindTarget();
    EXPECT_EQ(integerState(GL_FRAMEBUFFER_BINDING_EXT), 0);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 3);
    EXPECT_EQ(viewport[1], 4);
    EXPECT_EQ(viewport[2], 50);
    EXPECT_EQ(viewport[3], 60);
    EXPECT_EQ(integerState(GL_DRAW_BUFFER), GL_BACK);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// A gradient beyond the 0..1 range is drawn into a half-float target, then
// sampled through a rectangle sampler into a float target and read back.
TEST_F(RenderTargetsTest, RenderedValuesSurviveSamplingIntoAnotherTarget) {
    const int width = 8;
    const int height = 4;
    scratch_->writeFile("quad.vsh", "#version 120\nvoid main() { gl_Position = ftransform(); }\n");
    scratch_->writeFile("gradient.fsh",
                        "#version 120\n"
                        "void main() { gl_FragColor = vec4(gl_FragCoord.xy, 2.5, -1.0); }\n");
    scratch_->writeFile("copy.fsh",
                        "#version 120\n"
                        "#extension GL_ARB_texture_rectangle : enable\n"
                        "uniform sampler2DRect source;\n"
                        "void main() { gl_FragColor = texture2DRect(source, gl_FragCoord.xy) * 2.0; }\n");
    GLSLManager shaders;
    ASSERT_TRUE(shaders.initExtensions());
    shaders.allocatePrograms(2);
    shaders.loadProgram("quad.vsh", "gradient.fsh", 0);
    shaders.loadProgram("quad.vsh", "copy.fsh", 1);
    ASSERT_TRUE(targets_.initTargets(2));
    ASSERT_TRUE(targets_.createTarget(0, width, TargetFormat::RECT_RGBA16F, height));
    ASSERT_TRUE(targets_.createTarget(1, width, TargetFormat::RECT_RGBA32F, height));
    // The linear filter of the targets must not blend texels: samples land on texel centres.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, 1.0, 0.0, 1.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
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
    shaders.stopProgram();

    std::vector<GLfloat> pixels(width * height * 4, 0.0f);
    glBindTexture(GL_TEXTURE_RECTANGLE_ARB, targets_.getTexture(1));
    glGetTexImage(GL_TEXTURE_RECTANGLE_ARB, 0, GL_RGBA, GL_FLOAT, pixels.data());
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const GLfloat* pixel = &pixels[(y * width + x) * 4];
            SCOPED_TRACE("pixel " + std::to_string(x) + ", " + std::to_string(y));
            EXPECT_FLOAT_EQ(pixel[0], 2.0f * (x + 0.5f));
            EXPECT_FLOAT_EQ(pixel[1], 2.0f * (y + 0.5f));
            EXPECT_FLOAT_EQ(pixel[2], 5.0f);
            EXPECT_FLOAT_EQ(pixel[3], -2.0f);
        }
    }
    shaders.release();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(RenderTargetsTest, GlErrorsFailTheCreationWithTheDriversTextAndLeaveNoFramebuffer) {
    ASSERT_TRUE(targets_.initTargets(4));
    glEnable(0xFFFF);  // an error left pending by earlier work
    EXPECT_FALSE(targets_.createTarget(0, 16, TargetFormat::RECT_RGBA16F, 16));
    EXPECT_EQ(log(), "invalid enumerant\n\n");
    EXPECT_NE(targets_.getTexture(0), 0u) << "the texture name stays in its entry";
    EXPECT_EQ(integerState(GL_FRAMEBUFFER_BINDING_EXT), 0);

    Logger::resetFirstWriteForTesting();
    EXPECT_FALSE(targets_.createTarget(1, -4, TargetFormat::RGBA8_NEAREST, 0));
    EXPECT_EQ(log(), "invalid value\n\n");

    Logger::resetFirstWriteForTesting();
    EXPECT_FALSE(targets_.createTarget(2, 16, 42, 16));
    EXPECT_EQ(log(), "Error: unknown render target format 42\n\n");
    EXPECT_EQ(targets_.getTexture(2), 0u);

    Logger::resetFirstWriteForTesting();
    EXPECT_TRUE(targets_.createTarget(3, 16, TargetFormat::RGBA8_NEAREST, 0)) << "nothing stays pending";
    EXPECT_EQ(log(), kComplete);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(RenderTargetsTest, DeleteTargetsDeletesEveryTextureFramebufferAndRenderbuffer) {
    const auto isFramebuffer = driverFunction<PFNGLISFRAMEBUFFEREXTPROC>("glIsFramebufferEXT");
    const auto isRenderbuffer = driverFunction<PFNGLISRENDERBUFFEREXTPROC>("glIsRenderbufferEXT");
    ASSERT_TRUE(targets_.initTargets(3));
    ASSERT_TRUE(targets_.createTarget(0, 16, TargetFormat::RECT_RGBA16F, 8));
    ASSERT_TRUE(targets_.createTarget(2, 16, TargetFormat::DEPTH_SHADOW, 0));
    std::vector<GLuint> textures, framebuffers, renderbuffers;
    for (int index : {0, 2}) {
        textures.push_back(targets_.getTexture(index));
        targets_.bindTarget(index);
        framebuffers.push_back(integerState(GL_FRAMEBUFFER_BINDING_EXT));
        if (attachment(GL_DEPTH_ATTACHMENT_EXT, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE_EXT) == GL_RENDERBUFFER_EXT) {
            renderbuffers.push_back(attachment(GL_DEPTH_ATTACHMENT_EXT, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME_EXT));
        }
    }
    targets_.unbindTarget();
    ASSERT_EQ(renderbuffers.size(), 1u);

    targets_.deleteTargets();
    for (GLuint texture : textures) {
        EXPECT_FALSE(glIsTexture(texture));
    }
    for (GLuint framebuffer : framebuffers) {
        EXPECT_FALSE(isFramebuffer(framebuffer));
    }
    EXPECT_FALSE(isRenderbuffer(renderbuffers[0]));
    EXPECT_EQ(targets_.getTexture(0), 0u);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

namespace {

// Everything the pipeline would call on a manager whose initialisation failed.
void useFailedManager(RenderTargets& targets) {
    EXPECT_FALSE(targets.createTarget(0, 16, TargetFormat::RECT_RGBA16F, 16));
    targets.bindTarget(0);
    targets.checkStatus();
    targets.unbindTarget();
    EXPECT_EQ(targets.getTexture(0), 0u);
    EXPECT_EQ(targets.getSize(0), 0);
    targets.deleteTargets();
}

}  // namespace

// The calls after each failure would crash on a missing entry point or table.
TEST_F(RenderTargetsTest, FailedInitialisationsLogTheirCauseAndLaterCallsDoNothing) {
    RecordingPlatform recording;
    ScopedPlatformServices fake(recording);

    recording.extensionString = "GL_ARB_shader_objects GL_EXT_framebuffer_blit";
    EXPECT_FALSE(targets_.initTargets(2));
    EXPECT_EQ(log(), "Error: EXT_framebuffer_object not supported!\n\n");
    EXPECT_EQ(targets_.targetCount(), 2);
    useFailedManager(targets_);
    recording.extensionString.reset();

    const char* const required[] = {"glIsRenderbufferEXT",     "glBindRenderbufferEXT",
                                    "glDeleteRenderbuffersEXT", "glGenRenderbuffersEXT",
                                    "glRenderbufferStorageEXT", "glActiveTextureARB",
                                    "glIsFramebufferEXT",       "glBindFramebufferEXT",
                                    "glDeleteFramebuffersEXT",  "glGenFramebuffersEXT",
                                    "glFramebufferTexture2DEXT", "glGetFramebufferAttachmentParameterivEXT",
                                    "glGenerateMipmapEXT",      "glCheckFramebufferStatusEXT"};
    for (const char* name : required) {
        SCOPED_TRACE(name);
        recording.missingEntryPoints = {name};
        Logger::resetFirstWriteForTesting();
        RenderTargets targets;
        EXPECT_FALSE(targets.initTargets(2));
        EXPECT_EQ(log(), "Error: EXT_framebuffer_object entrypoints not found!\n\n");
        useFailedManager(targets);
    }

    recording.missingEntryPoints.clear();
    Logger::resetFirstWriteForTesting();
    RenderTargets unallocated;
    EXPECT_FALSE(unallocated.initTargets(-1));
    EXPECT_EQ(log(), "Error: FBO Memory Allocation Failed!\n\n");
    EXPECT_EQ(unallocated.targetCount(), 0);
    useFailedManager(unallocated);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(RenderTargetsTest, UnrequiredEntryPointsMayBeMissing) {
    RecordingPlatform recording;
    recording.missingEntryPoints = {"glFramebufferTexture3DEXT", "glFramebufferRenderbufferEXT", "glTexImage3D"};
    ScopedPlatformServices fake(recording);
    ASSERT_TRUE(targets_.initTargets(1));
    // Without the renderbuffer attachment the colour target simply has no depth buffer.
    EXPECT_TRUE(targets_.createTarget(0, 16, TargetFormat::RECT_RGBA16F, 16));
    EXPECT_EQ(log(), kComplete);
    targets_.bindTarget(0);
    EXPECT_EQ(attachment(GL_DEPTH_ATTACHMENT_EXT, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE_EXT), GL_NONE);
    targets_.unbindTarget();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
