// The settings panel in a real GL context: drawn over the frame only while shown, with the frame's GL state kept; the
// lights' picture follows the environment and its cut.
#include <GL/gl.h>
#include <GL/glext.h>
#include <imgui.h>

#include <vector>

#include "environment/light_cut.h"
#include "environment/light_extractor.h"
#include "panel/light_map_texture.h"
#include "panel/settings_panel.h"
#include "platform/gl_entry_points.h"
#include "state/scene_state.h"
#include "support/gl_test_context.h"

namespace {

constexpr int kSize = 128;  // the fixture's window

class SettingsPanelGlTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        sceneState().renderWidth = kSize;
        sceneState().renderHeight = kSize;
        appWindow.native = window();
        openSettingsPanel(appWindow);
    }
    void TearDown() override {
        showSettingsPanel(false);
        closeSettingsPanel();
        sceneState() = SceneState();
        GlTest::TearDown();
    }
    // One frame of the panel over a black window: how many pixels it coloured.
    int frame() {
        glClear(GL_COLOR_BUFFER_BIT);
        updateSettingsPanel();
        drawSettingsPanel();
        std::vector<unsigned char> rgb(kSize * kSize * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kSize, kSize, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        int coloured = 0;
        for (std::size_t i = 0; i < rgb.size(); i += 3) coloured += rgb[i] + rgb[i + 1] + rgb[i + 2] > 0;
        return coloured;
    }

    AppWindow appWindow;
};

}  // namespace

TEST_F(SettingsPanelGlTest, HiddenItDrawsNothingShownItDrawsAndLeavesTheStateTheNextFrameExpects) {
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    EXPECT_EQ(frame(), 0) << "hidden at start";

    // The state a frame ends in, with the buffers the character's drawing leaves bound.
    PFNGLGENBUFFERSPROC genBuffers = nullptr;
    PFNGLBINDBUFFERPROC bindBuffer = nullptr;
    PFNGLDELETEBUFFERSPROC deleteBuffers = nullptr;
    ASSERT_TRUE(lookUpEntryPoint(genBuffers, "glGenBuffers"));
    ASSERT_TRUE(lookUpEntryPoint(bindBuffer, "glBindBuffer"));
    ASSERT_TRUE(lookUpEntryPoint(deleteBuffers, "glDeleteBuffers"));
    GLuint buffers[2] = {};
    genBuffers(2, buffers);
    bindBuffer(GL_ARRAY_BUFFER, buffers[0]);
    bindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[1]);
    glViewport(0, 0, 100, 80);
    glEnable(GL_DEPTH_TEST);
    glColor4f(0.25f, 0.5f, 0.75f, 1.0f);

    showSettingsPanel(true);
    EXPECT_GT(frame(), kSize * kSize / 4) << "the panel covers the window's corner in its first frame";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    GLint value[4] = {};
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, value);
    EXPECT_EQ(GLuint(value[0]), buffers[0]);
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, value);
    EXPECT_EQ(GLuint(value[0]), buffers[1]);
    GLfloat colour[4] = {};
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[2], 0.75f) << "the colour array left it undefined";
    // What the Dear ImGui backend saves and restores itself, once as a sample.
    glGetIntegerv(GL_VIEWPORT, value);
    EXPECT_EQ(value[3], 80);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));

    showSettingsPanel(false);
    EXPECT_EQ(frame(), 0) << "hidden again";
    deleteBuffers(2, buffers);
    closeSettingsPanel();
    EXPECT_EQ(ImGui::GetCurrentContext(), nullptr) << "the context goes with the window";
}

namespace {

// Environment e's map: black but for one bright pixel in the sky, uploaded and cut; its texture.
GLuint cutMap(int environment, int column, int row) {
    constexpr int kMap = 256;
    std::vector<float> map(kMap * kMap * 3, 0.0f);
    for (int c = 0; c < 3; ++c) map[(row * kMap + column) * 3 + c] = 500.0f;
    LightExtractor extractor(map.data(), kMap, kMap);
    extractor.split(kLightTreeDepth);
    recordLightCut(environment, extractor.leaves(), kMap, kMap);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB32F_ARB, kMap, kMap, 0, GL_RGB, GL_FLOAT, map.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

// The red of the picture's pixel (x, y), rows bottom first.
int redAt(GLuint picture, int x, int y) {
    std::vector<unsigned char> rgb(kLightMapPictureWidth * kLightMapPictureHeight * 3);
    glBindTexture(GL_TEXTURE_2D, picture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return rgb[(std::size_t(y) * kLightMapPictureWidth + x) * 3];
}

}  // namespace

TEST_F(GlTest, EachEnvironmentsLightsPictureIsDrawnOnceAndAgainOnlyForANewCut) {
    // Columns 64 and 192 of 256 fall on picture columns 72 and 216; row 224 on row 126.
    const GLuint first = cutMap(0, 64, 224);
    const GLuint second = cutMap(1, 192, 224);
    LightMapTexture lights;
    lights.update(0, first);
    lights.update(1, second);
    EXPECT_EQ(redAt(lights.texture(0), 72, 126), 255) << "the brightest light's mark";
    EXPECT_NE(redAt(lights.texture(0), 216, 126), 255);
    EXPECT_EQ(redAt(lights.texture(1), 216, 126), 255) << "another environment, another picture";
    const GLuint moved = cutMap(1, 64, 224);  // a map dropped on environment 2
    lights.update(1, moved);
    EXPECT_EQ(redAt(lights.texture(1), 72, 126), 255) << "its new cut";
    glDeleteTextures(1, &moved);
    lights.update(1, second);
    EXPECT_NE(redAt(lights.texture(1), 216, 126), 255) << "no new cut, no new picture";
    lights.release();
    const GLuint textures[] = {first, second};
    glDeleteTextures(2, textures);
}
