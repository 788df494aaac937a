// GLSLManager on a real context: slot builds and their log entries, uniforms, release, missing extensions and entry points.
#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "gl_lookup.h"
#include "gpu/glsl_manager.h"
#include "gpu/logger.h"
#include "support/gl_test_context.h"
#include "support/program_run.h"
#include "support/recording_platform.h"

namespace {

const char* const kGoodVertex =
    "#version 120\n"
    "void main() { gl_Position = ftransform(); }\n";
const char* const kGoodFragment =
    "#version 120\n"
    "uniform vec4 tint;\n"
    "uniform float gain;\n"
    "uniform int mode;\n"
    "void main() { gl_FragColor = tint * gain + vec4(float(mode)); }\n";
const char* const kBrokenShader =
    "#version 120\n"
    "void main() { this is not a shader }\n";
// Compiles on its own but gives the link nothing to run.
const char* const kFragmentWithoutMain =
    "#version 120\n"
    "vec4 unused() { return vec4(1.0); }\n";

const char* const kVertexError = "VS Compiling Error! ID: ";
const char* const kFragmentError = "PS Compiling Error! ID: ";
const char* const kLinkError = "Shader Linker Error! ID: ";
const char* const kValidation = "Shader Validation ID: ";

const char* const kShaderExtensions[] = {"GL_ARB_vertex_shader", "GL_ARB_fragment_shader", "GL_ARB_shader_objects",
                                         "GL_ARB_shading_language_100"};

class GlslManagerTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        scratch_ = std::make_unique<ScratchDirectory>();
        Logger::resetFirstWriteForTesting();
        scratch_->writeFile("good.vsh", kGoodVertex);
        scratch_->writeFile("good.fsh", kGoodFragment);
        scratch_->writeFile("broken.vsh", kBrokenShader);
        scratch_->writeFile("broken.fsh", kBrokenShader);
        scratch_->writeFile("nomain.fsh", kFragmentWithoutMain);
    }
    void TearDown() override {
        manager_.release();
        scratch_.reset();
        GlTest::TearDown();
    }

    std::string log() const { return logText(*scratch_); }
    static GLint currentProgram() {
        GLint program = -1;
        glGetIntegerv(GL_CURRENT_PROGRAM, &program);
        return program;
    }

    GLSLManager manager_;
    std::unique_ptr<ScratchDirectory> scratch_;
};

}  // namespace

TEST_F(GlslManagerTest, AGoodPairLinksWritesOneValidationEntryWithItsSlotAndStaysCurrent) {
    ASSERT_TRUE(manager_.initExtensions());
    manager_.allocatePrograms(10);
    manager_.loadProgram("good.vsh", "good.fsh", 0);
    const std::string firstLog = log();
    // Slot 0 prints as 0, never as its program's handle.
    EXPECT_EQ(firstLog.rfind(std::string(kValidation) + "0: ", 0), 0u) << firstLog;
    EXPECT_EQ(countOccurrences(firstLog, "ID: "), 1);
    EXPECT_EQ(firstLog.substr(firstLog.size() - 2), "\n\n");
    const ProgramSlot slot0 = manager_.programSlot(0);
    ASSERT_NE(slot0.program, 0u);
    EXPECT_EQ(currentProgram(), static_cast<GLint>(slot0.program));

    manager_.loadProgram("good.vsh", "good.fsh", 7);
    const ProgramSlot slot7 = manager_.programSlot(7);
    EXPECT_NE(slot7.program, 7u) << "the handle would hide which number the message prints";
    EXPECT_NE(log().find(std::string(kValidation) + "7: ", firstLog.size()), std::string::npos) << log();
    EXPECT_EQ(currentProgram(), static_cast<GLint>(slot7.program));

    manager_.stopProgram();
    EXPECT_EQ(currentProgram(), 0);
    manager_.useProgram(0);
    EXPECT_EQ(currentProgram(), static_cast<GLint>(slot0.program));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(GlslManagerTest, EachFailedBuildWritesOnlyItsFirstErrorForTheSlot) {
    struct Case {
        const char* vertex;
        const char* fragment;
        const char* prefix;
        bool fragmentCompiled;
        GLint attachedShaders;
    };
    // A broken vertex shader ends the build before the fragment shader compiles.
    const Case cases[] = {{"broken.vsh", "broken.fsh", kVertexError, false, 0},
                          {"broken.vsh", "good.fsh", kVertexError, false, 0},
                          {"good.vsh", "broken.fsh", kFragmentError, false, 0},
                          {"good.vsh", "nomain.fsh", kLinkError, true, 2}};
    const auto getShaderiv = driverFunction<PFNGLGETSHADERIVPROC>("glGetShaderiv");
    const auto getProgramiv = driverFunction<PFNGLGETPROGRAMIVPROC>("glGetProgramiv");
    ASSERT_TRUE(manager_.initExtensions());
    manager_.allocatePrograms(4);
    for (const Case& build : cases) {
        SCOPED_TRACE(std::string(build.vertex) + " + " + build.fragment);
        Logger::resetFirstWriteForTesting();
        manager_.stopProgram();
        manager_.loadProgram(build.vertex, build.fragment, 2);
        const std::string text = log();
        EXPECT_EQ(text.rfind(std::string(build.prefix) + "2: ", 0), 0u) << text;
        EXPECT_GT(text.size(), std::string(build.prefix).size() + 5) << "the driver's log follows the prefix";
        EXPECT_EQ(countOccurrences(text, "ID: "), 1) << text;
        EXPECT_EQ(currentProgram(), 0) << "a failed build makes nothing current";
        const ProgramSlot slot = manager_.programSlot(2);
        GLint compiled = -1;
        getShaderiv(slot.fragmentShader, GL_COMPILE_STATUS, &compiled);
        EXPECT_EQ(compiled != 0, build.fragmentCompiled);
        GLint attached = -1;
        getProgramiv(slot.program, GL_ATTACHED_SHADERS, &attached);
        EXPECT_EQ(attached, build.attachedShaders);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(GlslManagerTest, AMissingSourceFileSurfacesAsTheSlotsCompileOrLinkError) {
    ASSERT_TRUE(manager_.initExtensions());
    manager_.allocatePrograms(2);
    for (const auto& [vertex, fragment] : {std::pair{"absent.vsh", "good.fsh"}, std::pair{"good.vsh", "absent.fsh"}}) {
        SCOPED_TRACE(std::string(vertex) + " + " + fragment);
        Logger::resetFirstWriteForTesting();
        manager_.loadProgram(vertex, fragment, 1);
        const std::string text = log();
        const bool reported = text.rfind(std::string(kVertexError) + "1: ", 0) == 0 ||
                              text.rfind(std::string(kFragmentError) + "1: ", 0) == 0 ||
                              text.rfind(std::string(kLinkError) + "1: ", 0) == 0;
        EXPECT_TRUE(reported) << text;
    }
}

TEST_F(GlslManagerTest, UniformsSetByNameReadBackAndUnknownNamesChangeNothing) {
    const auto getUniformLocation = driverFunction<PFNGLGETUNIFORMLOCATIONARBPROC>("glGetUniformLocationARB");
    const auto getUniformfv = driverFunction<PFNGLGETUNIFORMFVARBPROC>("glGetUniformfvARB");
    const auto getUniformiv = driverFunction<PFNGLGETUNIFORMIVARBPROC>("glGetUniformivARB");
    ASSERT_TRUE(manager_.initExtensions());
    manager_.allocatePrograms(3);
    manager_.loadProgram("good.vsh", "good.fsh", 2);
    const GLhandleARB program = manager_.programSlot(2).program;
    const std::string logBefore = log();

    manager_.useProgram(2);
    manager_.setUniform4f(2, "tint", 0.25f, -1.5f, 3.0f, 0.125f);
    manager_.setUniform1f(2, "gain", 2.5f);
    manager_.setUniform1i(2, "mode", 7);
    manager_.setUniform4f(2, "noSuchUniform", 9.0f, 9.0f, 9.0f, 9.0f);
    manager_.setUniform1f(2, "noSuchUniform", 9.0f);
    manager_.setUniform1i(2, "noSuchUniform", 9);

    GLfloat tint[4] = {};
    getUniformfv(program, getUniformLocation(program, "tint"), tint);
    EXPECT_FLOAT_EQ(tint[0], 0.25f);
    EXPECT_FLOAT_EQ(tint[1], -1.5f);
    EXPECT_FLOAT_EQ(tint[2], 3.0f);
    EXPECT_FLOAT_EQ(tint[3], 0.125f);
    GLfloat gain = 0.0f;
    getUniformfv(program, getUniformLocation(program, "gain"), &gain);
    EXPECT_FLOAT_EQ(gain, 2.5f);
    GLint mode = 0;
    getUniformiv(program, getUniformLocation(program, "mode"), &mode);
    EXPECT_EQ(mode, 7);
    EXPECT_EQ(log(), logBefore);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(GlslManagerTest, ReleaseLeavesNoProgramCurrentAndDeletesEveryObjectOfEverySlot) {
    const auto isShader = driverFunction<PFNGLISSHADERPROC>("glIsShader");
    const auto isProgram = driverFunction<PFNGLISPROGRAMPROC>("glIsProgram");
    ASSERT_TRUE(manager_.initExtensions());
    manager_.allocatePrograms(3);
    manager_.loadProgram("good.vsh", "good.fsh", 0);
    manager_.loadProgram("broken.vsh", "good.fsh", 2);  // unattached objects of a failed build
    std::vector<ProgramSlot> slots = {manager_.programSlot(0), manager_.programSlot(2)};
    for (const ProgramSlot& slot : slots) {
        ASSERT_TRUE(isShader(slot.vertexShader) && isShader(slot.fragmentShader) && isProgram(slot.program));
    }
    manager_.useProgram(0);

    manager_.release();
    EXPECT_EQ(currentProgram(), 0);
    for (const ProgramSlot& slot : slots) {
        EXPECT_FALSE(isShader(slot.vertexShader));
        EXPECT_FALSE(isShader(slot.fragmentShader));
        EXPECT_FALSE(isProgram(slot.program));
    }
    EXPECT_EQ(manager_.slotCount(), 0);
    EXPECT_EQ(manager_.programSlot(0).program, 0u);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(GlslManagerTest, EachMissingExtensionFailsTheCheckAndLaterCallsDoNothing) {
    RecordingPlatform recording;
    ScopedPlatformServices fake(recording);
    for (const char* missing : kShaderExtensions) {
        SCOPED_TRACE(missing);
        std::string extensions;
        for (const char* name : kShaderExtensions) {
            if (name != missing) {
                extensions += std::string(name) + " ";
            }
        }
        recording.extensionString = extensions;
        Logger::resetFirstWriteForTesting();
        EXPECT_FALSE(manager_.initExtensions());
        EXPECT_EQ(log(), "OpenGL Shading Language not supported!\n\n");
    }
    recording.extensionString = std::string(kShaderExtensions[0]) + " " + kShaderExtensions[1] + " " +
                                kShaderExtensions[2] + " " + kShaderExtensions[3];
    EXPECT_TRUE(manager_.initExtensions()) << "the four names alone pass the check";
}

// Each required entry point alone fails the check; afterwards no operation
// calls a pointer that was not found (a call would crash the test).
TEST_F(GlslManagerTest, EachMissingRequiredEntryPointFailsTheCheckAndLaterCallsDoNothing) {
    const char* const required[] = {"glCreateProgramObjectARB", "glCreateShaderObjectARB", "glShaderSourceARB",
                                    "glCompileShaderARB",       "glAttachObjectARB",       "glLinkProgramARB",
                                    "glUseProgramObjectARB",    "glDeleteObjectARB",       "glUniform1iARB",
                                    "glUniform4fARB",           "glGetUniformLocationARB", "glVertexAttrib4fARB",
                                    "glGetAttribLocationARB",   "glGetObjectParameterivARB", "glGetInfoLogARB"};
    RecordingPlatform recording;
    ScopedPlatformServices fake(recording);
    for (const char* name : required) {
        SCOPED_TRACE(name);
        recording.missingEntryPoints = {name};
        Logger::resetFirstWriteForTesting();
        EXPECT_FALSE(manager_.initExtensions());
        manager_.allocatePrograms(2);
        manager_.loadProgram("good.vsh", "good.fsh", 1);
        manager_.useProgram(1);
        manager_.setUniform1i(1, "mode", 1);
        manager_.setUniform1f(1, "gain", 1.0f);
        manager_.setUniform4f(1, "tint", 1.0f, 1.0f, 1.0f, 1.0f);
        manager_.stopProgram();
        EXPECT_EQ(manager_.programSlot(1).program, 0u);
        manager_.release();
        EXPECT_EQ(log(), "Not all entrypoints available!\n\n");
        EXPECT_EQ(currentProgram(), 0);
    }
}

TEST_F(GlslManagerTest, OptionalEntryPointsMayBeMissingWithoutBreakingABuild) {
    RecordingPlatform recording;
    recording.missingEntryPoints = {"glUniform1fARB", "glUniform4fvARB", "glValidateProgramARB"};
    ScopedPlatformServices fake(recording);
    ASSERT_TRUE(manager_.initExtensions());
    manager_.allocatePrograms(1);
    manager_.loadProgram("good.vsh", "good.fsh", 0);
    EXPECT_EQ(log().rfind(std::string(kValidation) + "0: ", 0), 0u) << log();
    manager_.setUniform1f(0, "gain", 4.0f);  // skipped without its entry point
    const GLhandleARB program = manager_.programSlot(0).program;
    GLfloat gain = -1.0f;
    driverFunction<PFNGLGETUNIFORMFVARBPROC>("glGetUniformfvARB")(
        program, driverFunction<PFNGLGETUNIFORMLOCATIONARBPROC>("glGetUniformLocationARB")(program, "gain"), &gain);
    EXPECT_FLOAT_EQ(gain, 0.0f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
