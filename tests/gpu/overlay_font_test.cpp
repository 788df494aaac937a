// Overlay font on a real context: glyph placement and orientation, raster advance, list base, cut and skipped bytes.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "gl_lookup.h"
#include "gpu/overlay_font.h"
#include "support/gl_test_context.h"

namespace {

const int kPenX = 20;
const int kPenY = 40;

class OverlayFontTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        glMatrixMode(GL_PROJECTION);
        glOrtho(0.0, windowWidth(), 0.0, windowHeight(), -1.0, 1.0);
        glViewport(0, 0, windowWidth(), windowHeight());
        glClear(GL_COLOR_BUFFER_BIT);
    }
    void TearDown() override {
        if (testDisplayAvailable()) {
            deleteOverlayFont();
        }
        GlTest::TearDown();
    }

    static float rasterX() {
        GLfloat position[4] = {};
        glGetFloatv(GL_CURRENT_RASTER_POSITION, position);
        return position[0];
    }
    // How far printing the text moves the raster position from the pen.
    static float advanceOf(const std::string& text) {
        glRasterPos2i(kPenX, kPenY);
        printOverlayText("%s", text.c_str());
        return rasterX() - kPenX;
    }
    // The window's pixels as 1 (white), 0 (black) or -1 (anything else), row 0 at the bottom.
    std::vector<int> pixels() const {
        std::vector<GLubyte> rgb(windowWidth() * windowHeight() * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, windowWidth(), windowHeight(), GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        std::vector<int> result(windowWidth() * windowHeight());
        for (size_t i = 0; i < result.size(); ++i) {
            const int sum = rgb[i * 3] + rgb[i * 3 + 1] + rgb[i * 3 + 2];
            result[i] = sum == 3 * 255 ? 1 : sum == 0 ? 0 : -1;
        }
        return result;
    }
    // Lit pixels per window row after printing the text alone.
    std::vector<int> inkRows(const char* text) const {
        glClear(GL_COLOR_BUFFER_BIT);
        advanceOf(text);
        const std::vector<int> all = pixels();
        std::vector<int> rows(windowHeight(), 0);
        for (int y = 0; y < windowHeight(); ++y) {
            rows[y] = static_cast<int>(std::count(all.begin() + y * windowWidth(), all.begin() + (y + 1) * windowWidth(), 1));
        }
        return rows;
    }
};

}  // namespace

TEST_F(OverlayFontTest, GlyphsAreWhiteUprightAndSitOnTheBaselineAtTheRasterPosition) {
    createOverlayFont(-16);  // also makes the current colour white
    const float width = advanceOf("FPS: 60");
    const std::vector<int> all = pixels();
    EXPECT_GT(std::count(all.begin(), all.end(), 1), 40);
    EXPECT_EQ(std::count(all.begin(), all.end(), -1), 0) << "bitmap text is drawn in the raster colour only";
    for (int i = 0; i < static_cast<int>(all.size()); ++i) {
        const int x = i % windowWidth(), y = i / windowWidth();
        const bool inside = x >= kPenX && x < kPenX + width && y >= kPenY - 6 && y < kPenY + 18;
        ASSERT_TRUE(all[i] == 0 || inside) << "ink outside the text box at " << x << ", " << y;
    }
    // "T": the bar is the top row and the stem stands on the baseline.
    std::vector<int> rows = inkRows("T");
    const int bottom = static_cast<int>(std::find_if(rows.begin(), rows.end(), [](int n) { return n > 0; }) - rows.begin());
    const int top = static_cast<int>(rows.rend() - std::find_if(rows.rbegin(), rows.rend(), [](int n) { return n > 0; })) - 1;
    EXPECT_EQ(bottom, kPenY);
    EXPECT_GE(top - bottom, 8) << "capitals are about 10 pixels tall at this size";
    EXPECT_GT(rows[top], 2 * rows[bottom]) << "the glyph is upside down";
    // "_" hangs below the baseline, "^" stays well above it.
    rows = inkRows("_");
    EXPECT_EQ(std::count(rows.begin() + kPenY, rows.end(), 0), windowHeight() - kPenY);
    rows = inkRows("^");
    EXPECT_EQ(std::count(rows.begin(), rows.begin() + kPenY + 4, 0), kPenY + 4);
}

TEST_F(OverlayFontTest, TextAdvancesByGlyphsKeepsTheListBaseAndIsCutAt255Characters) {
    createOverlayFont(-16);
    ASSERT_NE(overlayFontListBase(), 0u) << "a fixed-pitch face is installed on the test machine";
    const char* empty = "";
    glRasterPos2i(kPenX, kPenY);
    printOverlayText(empty);
    printOverlayText(nullptr);
    EXPECT_EQ(rasterX(), kPenX);
    const std::vector<int> all = pixels();
    EXPECT_EQ(std::count(all.begin(), all.end(), 0), static_cast<long>(all.size()));

    const float glyph = advanceOf("x");
    EXPECT_TRUE(glyph >= 8.0f && glyph <= 11.0f) << "a 16-pixel face advances " << glyph;
    glListBase(5);
    glRasterPos2i(kPenX, kPenY);
    printOverlayText("FPS: %d", 60);
    EXPECT_EQ(rasterX() - kPenX, 7 * glyph);
    EXPECT_EQ(integerState(GL_LIST_BASE), 5);
    const std::string longText(300, 'x');
    EXPECT_EQ(advanceOf(longText), 255 * glyph);
    glRasterPos2i(kPenX, kPenY);
    printOverlayText("%s|%s", longText.c_str(), longText.c_str());
    EXPECT_EQ(rasterX() - kPenX, 255 * glyph);
    EXPECT_NO_GL_ERROR();
}

// Bytes without a glyph would select lists beyond the 96; a list placed
// there jumps the raster position by 1000 pixels if it is ever called.
TEST_F(OverlayFontTest, BytesOutsideThePrintableRangeAreSkipped) {
    createOverlayFont(-16);
    const GLuint trap = overlayFontListBase() - kOverlayFirstCharacter + 0xC8;
    ASSERT_FALSE(glIsList(trap));
    const GLubyte noBits = 0;
    glNewList(trap, GL_COMPILE);
    glBitmap(0, 0, 0.0f, 0.0f, 1000.0f, 0.0f, &noBits);
    glEndList();
    const float glyph = advanceOf("A");
    EXPECT_EQ(advanceOf("\xC8" "A\x80\xFF\x01\t\n"), glyph);
    EXPECT_EQ(advanceOf("\xC8\xC8"), 0.0f);
    EXPECT_EQ(advanceOf("\x7F"), glyph) << "127 is the last of the 96 glyphs";
    glDeleteLists(trap, 1);
    EXPECT_NO_GL_ERROR();
}

// Printing without glyph lists, after deleting them or without any face, draws nothing.
TEST_F(OverlayFontTest, WithoutGlyphListsPrintingDrawsNothingAndAMissingFaceIsNamedOnce) {
    createOverlayFont(-16);
    const GLuint base = overlayFontListBase();
    EXPECT_TRUE(glIsList(base) && glIsList(base + kOverlayGlyphCount - 1));
    deleteOverlayFont();
    EXPECT_FALSE(glIsList(base) || glIsList(base + kOverlayGlyphCount - 1));
    // A list another owner made where a base of 0 would send "F".
    const GLubyte noBits = 0;
    glNewList('F' - kOverlayFirstCharacter, GL_COMPILE);
    glBitmap(0, 0, 0.0f, 0.0f, 1000.0f, 0.0f, &noBits);
    glEndList();
    EXPECT_EQ(advanceOf("FPS"), 0.0f);

    testing::internal::CaptureStderr();
    createOverlayFontFromFamilies(-16, {});
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    EXPECT_EQ(overlayFontListBase(), 0u);
    EXPECT_EQ(advanceOf("FPS: 60"), 0.0f);
    const std::vector<int> all = pixels();
    EXPECT_EQ(std::count(all.begin(), all.end(), 0), static_cast<long>(all.size()));
    EXPECT_NO_GL_ERROR();
}
