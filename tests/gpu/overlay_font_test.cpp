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

class OverlayFontTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        glMatrixMode(GL_PROJECTION);
        glOrtho(0.0, windowWidth(), 0.0, windowHeight(), -1.0, 1.0);
        glViewport(0, 0, windowWidth(), windowHeight());
        createOverlayFont(-16);  // also makes the current colour white
    }
    void TearDown() override {
        if (testDisplayAvailable())
            deleteOverlayFont();
        GlTest::TearDown();
    }
    // How far printing the text from the pen (onto a cleared window) moves the raster position.
    static float advanceOf(const std::string& text) {
        glClear(GL_COLOR_BUFFER_BIT);
        glRasterPos2i(kPenX, kPenY);
        printOverlayText("%s", text.c_str());
        GLfloat position[4] = {};
        glGetFloatv(GL_CURRENT_RASTER_POSITION, position);
        return position[0] - kPenX;
    }
    // White pixels per window row (bottom first) after printing the text; -1 in a row with any pixel neither white nor
    // black.
    std::vector<int> inkRows(const std::string& text) const {
        advanceOf(text);
        std::vector<GLubyte> rgb(windowWidth() * windowHeight() * 3);
        glReadPixels(0, 0, windowWidth(), windowHeight(), GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        std::vector<int> rows(windowHeight(), 0);
        for (size_t i = 0; i < rgb.size() / 3; ++i) {
            const int sum = rgb[i * 3] + rgb[i * 3 + 1] + rgb[i * 3 + 2];
            int& row = rows[i / windowWidth()];
            row = row < 0 || (sum != 0 && sum != 765) ? -1 : row + (sum == 765);
        }
        return rows;
    }
    static int firstInk(const std::vector<int>& rows) {
        return static_cast<int>(std::find_if(rows.begin(), rows.end(), [](int n) { return n != 0; }) - rows.begin());
    }
};

}  // namespace

TEST_F(OverlayFontTest, GlyphsAreWhiteUprightSitOnTheBaselineAndAdvanceTheRasterByOneCellEach) {
    ASSERT_NE(overlayFontListBase(), 0u) << "a fixed-pitch face is installed on the test machine";
    const float glyph = advanceOf("x");
    EXPECT_TRUE(glyph >= 8.0f && glyph <= 11.0f) << "a 16-pixel face advances " << glyph;
    std::vector<int> rows = inkRows("T");
    const int bottom = firstInk(rows);
    const int top =
        static_cast<int>(rows.rend() - std::find_if(rows.rbegin(), rows.rend(), [](int n) { return n; })) - 1;
    EXPECT_EQ(std::count(rows.begin(), rows.end(), -1), 0) << "bitmap text is drawn in the raster colour only";
    EXPECT_EQ(bottom, kPenY) << "the stem stands on the baseline";
    EXPECT_GE(top - bottom, 8) << "capitals are about 10 pixels tall at this size";
    EXPECT_GT(rows[top], 2 * rows[bottom]) << "the bar is on top, not upside down";
    EXPECT_EQ(firstInk(inkRows("")), windowHeight()) << "empty text draws nothing";
    printOverlayText(nullptr);
    EXPECT_LT(firstInk(inkRows("_")), kPenY) << "'_' hangs below the baseline";
    EXPECT_GE(firstInk(inkRows("^")), kPenY + 4) << "'^' stays well above it";

    glListBase(5);
    glRasterPos2i(kPenX, kPenY);
    printOverlayText("FPS: %d", 60);
    GLfloat position[4] = {};
    glGetFloatv(GL_CURRENT_RASTER_POSITION, position);
    EXPECT_EQ(position[0] - kPenX, 7 * glyph);
    EXPECT_EQ(integerState(GL_LIST_BASE), 5);
    const std::string longText(300, 'x');
    EXPECT_EQ(advanceOf(longText), 255 * glyph);
    EXPECT_EQ(advanceOf(longText + "|" + longText), 255 * glyph);
    EXPECT_NO_GL_ERROR();
}

// Bytes without a glyph would select lists beyond the 96; a list placed there jumps the raster 1000 pixels.
TEST_F(OverlayFontTest, BytesOutsideThePrintableRangeAreSkipped) {
    const GLuint trap = overlayFontListBase() - kOverlayFirstCharacter + 0xC8;
    ASSERT_FALSE(glIsList(trap));
    const GLubyte noBits = 0;
    glNewList(trap, GL_COMPILE);
    glBitmap(0, 0, 0.0f, 0.0f, 1000.0f, 0.0f, &noBits);
    glEndList();
    const float glyph = advanceOf("A");
    EXPECT_EQ(advanceOf("\xC8"
                        "A\x80\xFF\x01\t\n"),
              glyph);
    EXPECT_EQ(advanceOf("\xC8\xC8"), 0.0f);
    EXPECT_EQ(advanceOf("\x7F"), glyph) << "127 is the last of the 96 glyphs";
    glDeleteLists(trap, 1);
}

TEST_F(OverlayFontTest, WithoutGlyphListsNothingIsDrawnAndAMissingFaceIsNamedOnce) {
    const GLuint base = overlayFontListBase();
    EXPECT_TRUE(glIsList(base) && glIsList(base + kOverlayGlyphCount - 1));
    deleteOverlayFont();
    EXPECT_FALSE(glIsList(base) || glIsList(base + kOverlayGlyphCount - 1));
    const GLubyte noBits = 0;  // a list another owner made where a base of 0 would send "F"
    glNewList('F' - kOverlayFirstCharacter, GL_COMPILE);
    glBitmap(0, 0, 0.0f, 0.0f, 1000.0f, 0.0f, &noBits);
    glEndList();
    EXPECT_EQ(advanceOf("FPS"), 0.0f);
    testing::internal::CaptureStderr();
    createOverlayFontFromFamilies(-16, {});
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    EXPECT_EQ(overlayFontListBase(), 0u);
    EXPECT_EQ(firstInk(inkRows("FPS: 60")), windowHeight()) << "nothing drawn";
    EXPECT_EQ(advanceOf("FPS: 60"), 0.0f);
    EXPECT_NO_GL_ERROR();
}
