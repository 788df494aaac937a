// GLSLManager on a real context: slot builds and their log entries, uniforms, release, missing extensions and entry
// points.
#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gl_lookup.h"
#include "gpu/glsl_manager.h"
#include "support/program_run.h"
#include "support/recording_platform.h"

namespace {

const std::string kVertexError = "VS Compiling Error! ID: ", kFragmentError = "PS Compiling Error! ID: ",
                  kLinkError = "Shader Linker Error! ID: ", kValidation = "Shader Validation ID: ";

class GlslManagerTest : public LoggedGlTest {
protected:
    void SetUp() override {
        LoggedGlTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        scratch_->writeFile("good.vsh", "#version 120\nvoid main() { gl_Position = ftransform(); }\n");
        scratch_->writeFile("good.fsh",
                            "#version 120\nuniform vec4 tint;\nuniform float gain;\nuniform int mode;\n"
                            "void main() { gl_FragColor = tint * gain + vec4(float(mode)); }\n");
        scratch_->writeFile("broken.vsh", "#version 120\nvoid main() { this is not a shader }\n");
        scratch_->writeFile("broken.fsh", "#version 120\nvoid main() { this is not a shader }\n");
        scratch_->writeFile("nomain.fsh",
                            "#version 120\nvec4 unused() { return vec4(1.0); }\n");  // fails only the link
    }
    void TearDown() override {
        manager_.release();
        LoggedGlTest::TearDown();
    }
    GLSLManager manager_;
};

}  // namespace

TEST_F(GlslManagerTest, BuildsLogOneEntryNamingTheSlotAndFailedOnesStopAtTheirFirstError) {
    ASSERT_TRUE(manager_.initExtensions());
    manager_.allocatePrograms(10);
    manager_.loadProgram("good.vsh", "good.fsh", 7);
    EXPECT_EQ(log().substr(0, kValidation.size() + 3), kValidation + "7: ") << "the slot, never the handle";
    EXPECT_EQ(log().substr(log().size() - 2), "\n\n");
    const GLint program = static_cast<GLint>(manager_.programSlot(7).program);
    EXPECT_EQ(integerState(GL_CURRENT_PROGRAM), program);
    manager_.stopProgram();
    EXPECT_EQ(integerState(GL_CURRENT_PROGRAM), 0);
    manager_.useProgram(7);
    EXPECT_EQ(integerState(GL_CURRENT_PROGRAM), program);
    manager_.stopProgram();
    // Each failed build logs only its first error ("" where a missing file may show as any of the three).
    const std::pair<std::string, std::string> cases[] = {{"broken.vsh+broken.fsh", kVertexError},
                                                         {"good.vsh+broken.fsh", kFragmentError},
                                                         {"good.vsh+nomain.fsh", kLinkError},
                                                         {"absent.vsh+good.fsh", ""},
                                                         {"good.vsh+absent.fsh", ""}};
    for (const auto& [files, error] : cases) {
        Logger::resetFirstWriteForTesting();
        manager_.loadProgram(files.substr(0, files.find('+')).c_str(), files.substr(files.find('+') + 1).c_str(), 2);
        const std::string text = log();
        EXPECT_EQ(countOccurrences(text, "ID: "), 1) << text;
        EXPECT_EQ(integerState(GL_CURRENT_PROGRAM), 0) << files << ": a failed build makes nothing current";
        EXPECT_TRUE(error.empty() ? countOccurrences(text, "Error! ID: 2: ") == 1 : startsWith(text, error + "2: "))
            << files << ": " << text;
    }
    EXPECT_NO_GL_ERROR();
}

TEST_F(GlslManagerTest, UniformsSetByNameReadBackAndReleaseDeletesEveryObjectOfEverySlot) {
    ASSERT_TRUE(manager_.initExtensions());
    manager_.allocatePrograms(3);
    manager_.loadProgram("broken.vsh", "good.fsh", 0);  // objects of a failed build are not attached
    manager_.loadProgram("good.vsh", "good.fsh", 2);
    const GLhandleARB program = manager_.programSlot(2).program;
    const std::string logBefore = log();
    manager_.setUniform4f(2, "tint", 0.25f, -1.5f, 3.0f, 0.125f);
    manager_.setUniform1f(2, "gain", 2.5f);
    manager_.setUniform1i(2, "mode", 7);
    manager_.setUniform1f(2, "noSuchUniform", 9.0f);
    const auto location = driverFunction<PFNGLGETUNIFORMLOCATIONARBPROC>("glGetUniformLocationARB");
    GLfloat values[5] = {};
    GLint mode = 0;
    driverFunction<PFNGLGETUNIFORMFVARBPROC>("glGetUniformfvARB")(program, location(program, "tint"), values);
    driverFunction<PFNGLGETUNIFORMFVARBPROC>("glGetUniformfvARB")(program, location(program, "gain"), values + 4);
    driverFunction<PFNGLGETUNIFORMIVARBPROC>("glGetUniformivARB")(program, location(program, "mode"), &mode);
    EXPECT_EQ(std::vector<GLfloat>(values, values + 5), (std::vector<GLfloat>{0.25f, -1.5f, 3.0f, 0.125f, 2.5f}));
    EXPECT_EQ(mode, 7);
    EXPECT_EQ(log(), logBefore);

    const ProgramSlot failed = manager_.programSlot(0);  // the lifecycle counts show a built program's release
    manager_.release();
    EXPECT_EQ(integerState(GL_CURRENT_PROGRAM), 0);
    const auto isShader = driverFunction<PFNGLISSHADERPROC>("glIsShader");
    EXPECT_NE(failed.program, 0u);
    EXPECT_FALSE(isShader(failed.vertexShader) || isShader(failed.fragmentShader) ||
                 driverFunction<PFNGLISPROGRAMPROC>("glIsProgram")(failed.program));
    EXPECT_EQ(manager_.slotCount(), 0);
    EXPECT_NO_GL_ERROR();
}

// After each failed check the other operations must not call a pointer that was not found (that would crash).
TEST_F(GlslManagerTest, AMissingExtensionOrRequiredEntryPointFailsTheCheck) {
    const char* const extensions[] = {"GL_ARB_vertex_shader", "GL_ARB_fragment_shader", "GL_ARB_shader_objects",
                                      "GL_ARB_shading_language_100"};
    RecordingPlatform recording;
    ScopedPlatformServices fake(recording);
    const auto checkFails = [&](const std::string& message) {
        Logger::resetFirstWriteForTesting();
        EXPECT_FALSE(manager_.initExtensions());
        manager_.allocatePrograms(2);
        manager_.loadProgram("good.vsh", "good.fsh", 1);
        manager_.useProgram(1);
        manager_.setUniform1i(1, "mode", 1), manager_.setUniform1f(1, "gain", 1),
            manager_.setUniform4f(1, "tint", 1, 1, 1, 1);
        manager_.stopProgram();
        EXPECT_EQ(manager_.programSlot(1).program, 0u);
        manager_.release();
        EXPECT_EQ(log(), message + "\n\n");
    };
    for (const char* missing : extensions) {
        recording.extensionString = "";
        for (const char* name : extensions)
            *recording.extensionString += name != missing ? std::string(name) + " " : "";
        checkFails("OpenGL Shading Language not supported!");
    }
    recording.extensionString.reset();
    for (const char* name : {"glCreateProgramObjectARB", "glGetInfoLogARB"}) {  // the first and last required
        recording.missingEntryPoints = {name};
        checkFails("Not all entrypoints available!");
    }
    EXPECT_NO_GL_ERROR();
}
