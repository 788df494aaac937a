// Overlay font on a real context: glyph placement and orientation, raster advance, list base, cut and skipped bytes.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "gl_lookup.h"
#include "gpu/overlay_font.h"

namespace {

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

class OverlayFontTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        glMatrixMode(GL_PROJECTION);
        glOrtho(0.0, 128.0, 0.0, 128.0, -1.0, 1.0);
        createOverlayFont(-16);  // also makes the current colour white
    }
};

}  // namespace

TEST_F(OverlayFontTest, GlyphsAreWhiteUprightOnTheBaselineAdvanceOneCellEachAndUnprintableBytesAreSkipped) {
    ASSERT_NE(overlayFontListBase(), 0u) << "a fixed-pitch face is installed on the test machine";
    const float glyph = advanceOf("x");
    EXPECT_TRUE(glyph >= 8.0f && glyph <= 11.0f) << "a 16-pixel face advances " << glyph;
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
    EXPECT_EQ(advanceOf("FPS"), 0.0f);
    testing::internal::CaptureStderr();
    createOverlayFontFromFamilies(-16, {});
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    EXPECT_EQ(overlayFontListBase(), 0u);
    EXPECT_EQ(firstInk(inkRows("FPS: 60")), 128) << "nothing drawn";
    EXPECT_EQ(advanceOf("FPS: 60"), 0.0f);
    EXPECT_NO_GL_ERROR();
}
