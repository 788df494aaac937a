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

const char* const kVertexError = "VS Compiling Error! ID: ";
const char* const kFragmentError = "PS Compiling Error! ID: ";
const char* const kLinkError = "Shader Linker Error! ID: ";
const char* const kValidation = "Shader Validation ID: ";

class GlslManagerTest : public LoggedGlTest {
protected:
    void SetUp() override {
        LoggedGlTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        scratch_->writeFile("good.vsh", "#version 120\nvoid main() { gl_Position = ftransform(); }\n");
        scratch_->writeFile("good.fsh",
                            "#version 120\nuniform vec4 tint;\nuniform float gain;\nuniform int mode;\n"
                            "void main() { gl_FragColor = tint * gain + vec4(float(mode)); }\n");
        scratch_->writeFile("broken.vsh", "#version 120\nvoid main() { this is not a shader }\n");
        scratch_->writeFile("broken.fsh", "#version 120\nvoid main() { this is not a shader }\n");
        // Compiles on its own but gives the link nothing to run.
        scratch_->writeFile("nomain.fsh", "#version 120\nvec4 unused() { return vec4(1.0); }\n");
    }
    void TearDown() override {
        manager_.release();
        LoggedGlTest::TearDown();
    }

    GLSLManager manager_;
};

}  // namespace

TEST_F(GlslManagerTest, AGoodPairWritesOneValidationEntryNamingTheSlotAndStaysCurrent) {
    ASSERT_TRUE(manager_.initExtensions());
    manager_.allocatePrograms(10);
    manager_.loadProgram("good.vsh", "good.fsh", 0);
    const std::string first = log();
    EXPECT_TRUE(startsWith(first, std::string(kValidation) + "0: ")) << first;  // the slot, never the handle
    EXPECT_EQ(countOccurrences(first, "ID: "), 1);
    EXPECT_EQ(first.substr(first.size() - 2), "\n\n");
    const GLhandleARB program0 = manager_.programSlot(0).program;
    EXPECT_EQ(integerState(GL_CURRENT_PROGRAM), static_cast<GLint>(program0));

    manager_.loadProgram("good.vsh", "good.fsh", 7);
    EXPECT_NE(manager_.programSlot(7).program, 7u);
    EXPECT_TRUE(startsWith(log().substr(first.size()), std::string(kValidation) + "7: ")) << log();
    manager_.stopProgram();
    EXPECT_EQ(integerState(GL_CURRENT_PROGRAM), 0);
    manager_.useProgram(0);
    EXPECT_EQ(integerState(GL_CURRENT_PROGRAM), static_cast<GLint>(program0));
    EXPECT_NO_GL_ERROR();
}

TEST_F(GlslManagerTest, AFailedBuildWritesOnlyItsFirstErrorAndStopsThere) {
    struct Case {
        const char* vertex;
        const char* fragment;
        const char* prefix;  // nullptr: a missing file may show as any of the three errors
        bool fragmentCompiled;
        GLint attachedShaders;
    };
    const Case cases[] = {{"broken.vsh", "broken.fsh", kVertexError, false, 0},
                          {"broken.vsh", "good.fsh", kVertexError, false, 0},
                          {"good.vsh", "broken.fsh", kFragmentError, false, 0},
                          {"good.vsh", "nomain.fsh", kLinkError, true, 2},
                          {"absent.vsh", "good.fsh", nullptr, false, -1},
                          {"good.vsh", "absent.fsh", nullptr, false, -1}};
    const auto getShaderiv = driverFunction<PFNGLGETSHADERIVPROC>("glGetShaderiv");
    const auto getProgramiv = driverFunction<PFNGLGETPROGRAMIVPROC>("glGetProgramiv");
    ASSERT_TRUE(manager_.initExtensions());
    manager_.allocatePrograms(3);
    for (const Case& build : cases) {
        SCOPED_TRACE(std::string(build.vertex) + " + " + build.fragment);
        Logger::resetFirstWriteForTesting();
        manager_.loadProgram(build.vertex, build.fragment, 2);
        const std::string text = log();
        EXPECT_EQ(countOccurrences(text, "ID: "), 1) << text;
        EXPECT_EQ(integerState(GL_CURRENT_PROGRAM), 0) << "a failed build makes nothing current";
        if (build.prefix == nullptr) {
            EXPECT_TRUE(startsWith(text, std::string(kVertexError) + "2: ") ||
                        startsWith(text, std::string(kFragmentError) + "2: ") ||
                        startsWith(text, std::string(kLinkError) + "2: "))
                << text;
            continue;
        }
        EXPECT_TRUE(startsWith(text, std::string(build.prefix) + "2: ")) << text;
        EXPECT_GT(text.size(), std::string(build.prefix).size() + 5) << "the driver's log follows";
        const ProgramSlot slot = manager_.programSlot(2);
        GLint compiled = -1, attached = -1;
        getShaderiv(slot.fragmentShader, GL_COMPILE_STATUS, &compiled);
        getProgramiv(slot.program, GL_ATTACHED_SHADERS, &attached);
        EXPECT_EQ(compiled != 0, build.fragmentCompiled);
        EXPECT_EQ(attached, build.attachedShaders);
    }
    EXPECT_NO_GL_ERROR();
}

TEST_F(GlslManagerTest, UniformsSetByNameReadBackAndUnknownNamesChangeNothing) {
    const auto location = driverFunction<PFNGLGETUNIFORMLOCATIONARBPROC>("glGetUniformLocationARB");
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

    GLfloat tint[4] = {}, gain = 0.0f;
    GLint mode = 0;
    getUniformfv(program, location(program, "tint"), tint);
    getUniformfv(program, location(program, "gain"), &gain);
    getUniformiv(program, location(program, "mode"), &mode);
    EXPECT_EQ(std::vector<GLfloat>(tint, tint + 4), (std::vector<GLfloat>{0.25f, -1.5f, 3.0f, 0.125f}));
    EXPECT_EQ(gain, 2.5f);
    EXPECT_EQ(mode, 7);
    EXPECT_EQ(log(), logBefore);
    EXPECT_NO_GL_ERROR();
}

TEST_F(GlslManagerTest, ReleaseLeavesNoProgramCurrentAndDeletesEveryObjectOfEverySlot) {
    const auto isShader = driverFunction<PFNGLISSHADERPROC>("glIsShader");
    const auto isProgram = driverFunction<PFNGLISPROGRAMPROC>("glIsProgram");
    ASSERT_TRUE(manager_.initExtensions());
    manager_.allocatePrograms(3);
    manager_.loadProgram("good.vsh", "good.fsh", 0);
    manager_.loadProgram("broken.vsh", "good.fsh", 2);  // objects of a failed build are not attached
    const ProgramSlot slots[] = {manager_.programSlot(0), manager_.programSlot(2)};
    manager_.useProgram(0);
    manager_.release();
    EXPECT_EQ(integerState(GL_CURRENT_PROGRAM), 0);
    for (const ProgramSlot& slot : slots) {
        ASSERT_NE(slot.program, 0u);
        EXPECT_FALSE(isShader(slot.vertexShader) || isShader(slot.fragmentShader) || isProgram(slot.program));
    }
    EXPECT_EQ(manager_.slotCount(), 0);
    EXPECT_NO_GL_ERROR();
}

// After each failed check the other operations must not call a pointer that
// was not found: such a call would crash the test.
TEST_F(GlslManagerTest, AMissingExtensionOrRequiredEntryPointFailsTheCheckAndOptionalOnesMayBeMissing) {
    const char* const extensions[] = {"GL_ARB_vertex_shader", "GL_ARB_fragment_shader", "GL_ARB_shader_objects",
                                      "GL_ARB_shading_language_100"};
    // The first and the last of the required entry points.
    const char* const required[] = {"glCreateProgramObjectARB", "glGetInfoLogARB"};
    RecordingPlatform recording;
    ScopedPlatformServices fake(recording);
    const auto checkFails = [&](const char* message) {
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
        EXPECT_EQ(log(), std::string(message) + "\n\n");
    };
    for (const char* missing : extensions) {
        SCOPED_TRACE(missing);
        recording.extensionString = "";
        for (const char* name : extensions) {
            *recording.extensionString += name != missing ? std::string(name) + " " : "";
        }
        checkFails("OpenGL Shading Language not supported!");
    }
    recording.extensionString.reset();
    for (const char* name : required) {
        SCOPED_TRACE(name);
        recording.missingEntryPoints = {name};
        checkFails("Not all entrypoints available!");
    }
    recording.missingEntryPoints = {"glUniform1fARB", "glUniform4fvARB", "glValidateProgramARB"};
    Logger::resetFirstWriteForTesting();
    ASSERT_TRUE(manager_.initExtensions());
    manager_.allocatePrograms(1);
    manager_.loadProgram("good.vsh", "good.fsh", 0);
    EXPECT_TRUE(startsWith(log(), std::string(kValidation) + "0: ")) << log();
    manager_.setUniform1f(0, "gain", 4.0f);  // skipped without its entry point
    EXPECT_NO_GL_ERROR();
}
