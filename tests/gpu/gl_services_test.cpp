// The GL services on a real context: program slots and their log, render target failures, the overlay font.
#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "gpu/glsl_manager.h"
#include "gpu/logger.h"
#include "gpu/overlay_font.h"
#include "gpu/render_targets.h"
#include "platform/platform_services.h"
#include "support/gl_test_context.h"
#include "support/program_run.h"
#include "support/recording_platform.h"
#include "support/scratch_directory.h"

namespace {

// A driver entry point by name, bypassing any fake platform a test installed.
template <typename Function>
Function driverFunction(const char* name) {
    return reinterpret_cast<Function>(sdlPlatformServices().glProcAddress(name));
}

inline GLint integerState(GLenum name) {
    GLint value = -1;
    glGetIntegerv(name, &value);
    return value;
}

#define EXPECT_NO_GL_ERROR() EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR))

// A scratch working directory with a fresh log and a few shader files; the overlay font over the window.
class GlServicesTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        Logger::resetFirstWriteForTesting();
        if (IsSkipped() || HasFatalFailure()) return;
        scratch_ = std::make_unique<ScratchDirectory>();
        glMatrixMode(GL_PROJECTION);
        glOrtho(0.0, 128.0, 0.0, 128.0, -1.0, 1.0);
        createOverlayFont(-16);  // also makes the current colour white
        scratch_->writeFile("good.vsh", "#version 120\nvoid main() { gl_Position = ftransform(); }\n");
        scratch_->writeFile("good.fsh",
                            "#version 120\nuniform vec4 tint;\nuniform float gain;\nuniform int mode;\n"
                            "void main() { gl_FragColor = tint * gain + vec4(float(mode)); }\n");
        scratch_->writeFile("broken.vsh", "#version 120\nvoid main() { this is not a shader }\n");
        scratch_->writeFile("broken.fsh", "#version 120\nvoid main() { this is not a shader }\n");
        scratch_->writeFile("nomain.fsh", "#version 120\nvec4 unused() { return vec4(1.0); }\n");  // fails the link
    }
    void TearDown() override {
        deleteOverlayFont();
        manager_.release();
        targets_.deleteTargets();
        scratch_.reset();
        GlTest::TearDown();
    }
    std::string log() const { return scratch_->readFile("Log.txt"); }
    std::unique_ptr<ScratchDirectory> scratch_;
    GLSLManager manager_;
    RenderTargets targets_;
};
using GlslManagerTest = GlServicesTest;
using RenderTargetsTest = GlServicesTest;
using OverlayFontTest = GlServicesTest;

const std::string kValidation = "Shader Validation ID: ";

TEST_F(GlslManagerTest, BuildsLogOneEntryNamingTheSlotAndFailedOnesStopAtTheirFirstError) {
    ASSERT_TRUE(manager_.initExtensions());
    manager_.allocatePrograms(10);
    manager_.loadProgram("good.vsh", "good.fsh", 7);
    EXPECT_EQ(log().substr(0, kValidation.size() + 3), kValidation + "7: ") << "the slot, never the handle";
    EXPECT_EQ(log().substr(log().size() - 2), "\n\n");
    EXPECT_EQ(integerState(GL_CURRENT_PROGRAM), static_cast<GLint>(manager_.programSlot(7).program));
    EXPECT_TRUE(manager_.programLinked(7));
    manager_.stopProgram();
    // Each failed build logs only its first error ("" where a missing file may show as any of the three).
    const std::pair<std::string, std::string> cases[] = {{"broken.vsh+broken.fsh", "VS Compiling Error! ID: "},
                                                         {"good.vsh+broken.fsh", "PS Compiling Error! ID: "},
                                                         {"good.vsh+nomain.fsh", "Shader Linker Error! ID: "},
                                                         {"absent.vsh+good.fsh", ""},
                                                         {"good.vsh+absent.fsh", ""}};
    for (const auto& [files, error] : cases) {
        Logger::resetFirstWriteForTesting();
        manager_.loadProgram(files.substr(0, files.find('+')).c_str(), files.substr(files.find('+') + 1).c_str(), 2);
        const std::string text = log();
        EXPECT_EQ(countOccurrences(text, "ID: "), 1) << text;
        EXPECT_EQ(integerState(GL_CURRENT_PROGRAM), 0) << files << ": a failed build makes nothing current";
        EXPECT_FALSE(manager_.programLinked(2)) << files;
        EXPECT_TRUE(error.empty() ? countOccurrences(text, "Error! ID: 2: ") == 1 : text.rfind(error + "2: ", 0) == 0)
            << files << ": " << text;
    }
    EXPECT_NO_GL_ERROR();
}

// Uniform values reach the pictures of the scene's tests; here only what those cannot show.
TEST_F(GlslManagerTest, UnknownUniformsAreIgnoredAndReleaseDeletesTheObjectsOfAFailedBuild) {
    ASSERT_TRUE(manager_.initExtensions());
    manager_.allocatePrograms(3);
    manager_.loadProgram("broken.vsh", "good.fsh", 0);  // objects of a failed build are not attached
    manager_.loadProgram("good.vsh", "good.fsh", 2);
    const std::string logBefore = log();
    manager_.setUniform1f(2, "noSuchUniform", 9.0f);
    manager_.setUniform4f(2, "noSuchUniform", 9.0f, 9.0f, 9.0f, 9.0f);
    EXPECT_EQ(log(), logBefore);
    const ProgramSlot failed = manager_.programSlot(0);
    manager_.release();
    EXPECT_EQ(integerState(GL_CURRENT_PROGRAM), 0);
    const auto isShader = driverFunction<PFNGLISSHADERPROC>("glIsShader");
    EXPECT_NE(failed.program, 0u);
    EXPECT_FALSE(isShader(failed.vertexShader));
    EXPECT_FALSE(isShader(failed.fragmentShader));
    EXPECT_FALSE(driverFunction<PFNGLISPROGRAMPROC>("glIsProgram")(failed.program));
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
    recording.missingEntryPoints = {"glGetInfoLogARB"};  // the last one required
    checkFails("Not all entrypoints available!");
    EXPECT_NO_GL_ERROR();
}

// After each failure the other operations must not touch the missing texture or table (a crash).
TEST_F(RenderTargetsTest, FailuresLogTheirCause) {
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

    Logger::resetFirstWriteForTesting();
    RenderTargets failed;
    EXPECT_FALSE(failed.initTargets(-1));
    EXPECT_FALSE(failed.createTarget(0, 16, TargetFormat::RECT_RGBA16F, 16));
    failed.bindTarget(0), failed.checkStatus(), failed.unbindTarget();
    EXPECT_EQ(failed.getTexture(0) + failed.getSize(0), 0u);
    failed.deleteTargets();
    EXPECT_EQ(log(), "Error: FBO Memory Allocation Failed!\n\n");

    EXPECT_NO_GL_ERROR();
}

const int kPenX = 20, kPenY = 40;

// How far printing the text from the pen (onto a cleared window) moves the raster position.
float advanceOf(const std::string& text) {
    glClear(GL_COLOR_BUFFER_BIT);
    glRasterPos2i(kPenX, kPenY);
    printOverlayText("%s", text.c_str());
    GLfloat position[4] = {};
    glGetFloatv(GL_CURRENT_RASTER_POSITION, position);
    return position[0] - kPenX;
}

// White pixels per row (bottom first) of the 128-pixel window after printing the text; -1 where a pixel is grey.
std::vector<int> inkRows(const std::string& text) {
    advanceOf(text);
    std::vector<GLubyte> rgb(128 * 128 * 3);
    glReadPixels(0, 0, 128, 128, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    std::vector<int> rows(128, 0);
    for (size_t i = 0; i < rgb.size() / 3; ++i) {
        const int sum = rgb[i * 3] + rgb[i * 3 + 1] + rgb[i * 3 + 2];
        rows[i / 128] = rows[i / 128] < 0 || (sum != 0 && sum != 765) ? -1 : rows[i / 128] + (sum == 765);
    }
    return rows;
}

int firstInk(const std::vector<int>& rows) {
    return static_cast<int>(std::find_if(rows.begin(), rows.end(), [](int n) { return n != 0; }) - rows.begin());
}

// A list where a wrong base or an unprintable byte would send the print: it jumps the raster by 1000 pixels.
void placeTrap(GLuint list) {
    const GLubyte noBits = 0;
    glNewList(list, GL_COMPILE);
    glBitmap(0, 0, 0.0f, 0.0f, 1000.0f, 0.0f, &noBits);
    glEndList();
}

TEST_F(OverlayFontTest, GlyphsAreWhiteUprightOnTheBaselineAdvanceOneCellEachAndUnprintableBytesAreSkipped) {
    ASSERT_NE(overlayFontListBase(), 0u) << "a fixed-pitch face is installed on the test machine";
    const float glyph = advanceOf("x");
    EXPECT_GE(glyph, 8.0f) << "a 16-pixel face's advance";
    EXPECT_LE(glyph, 11.0f) << "a 16-pixel face's advance";
    const std::vector<int> rows = inkRows("T");
    const int bottom = firstInk(rows);
    const int top = static_cast<int>(rows.rend() - std::find_if(rows.rbegin(), rows.rend(), [](int n) { return n; }));
    EXPECT_EQ(std::count(rows.begin(), rows.end(), -1), 0) << "bitmap text is drawn in the raster colour only";
    EXPECT_EQ(bottom, kPenY) << "the stem stands on the baseline";
    EXPECT_GE(top - bottom, 9) << "capitals are about 10 pixels tall at this size";
    EXPECT_GT(rows[top - 1], 2 * rows[bottom]) << "the bar is on top, not upside down";
    EXPECT_LT(firstInk(inkRows("_")), kPenY) << "'_' hangs below the baseline";
    EXPECT_GE(firstInk(inkRows("^")), kPenY + 4) << "'^' stays well above it";
    EXPECT_EQ(firstInk(inkRows("")), 128) << "empty text draws nothing";
    printOverlayText(nullptr);

    glListBase(5);
    EXPECT_EQ(advanceOf("FPS: 60"), 7 * glyph);
    EXPECT_EQ(integerState(GL_LIST_BASE), 5);
    const std::string longText(300, 'x');
    EXPECT_EQ(advanceOf(longText + "|" + longText), 255 * glyph);
    placeTrap(overlayFontListBase() - kOverlayFirstCharacter + 0xC8);
    EXPECT_EQ(advanceOf("\xC8"
                        "A\x80\xFF\x01\t\n"),
              glyph);
    EXPECT_EQ(advanceOf("\x7F"), glyph) << "127 is the last of the 96 glyphs";
    deleteOverlayFont();
    EXPECT_NO_GL_ERROR();
}

TEST_F(OverlayFontTest, WithoutGlyphListsNothingIsDrawnAndAMissingFaceIsNamedOnce) {
    deleteOverlayFont();
    placeTrap('F' - kOverlayFirstCharacter);  // where a base of 0 would send "F"
    testing::internal::CaptureStderr();
    createOverlayFontFromFamilies(-16, {});
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    EXPECT_EQ(overlayFontListBase(), 0u);
    EXPECT_EQ(firstInk(inkRows("FPS: 60")), 128) << "nothing drawn";
    EXPECT_EQ(advanceOf("FPS: 60"), 0.0f) << "the pen stays";
    EXPECT_NO_GL_ERROR();
}

}  // namespace
