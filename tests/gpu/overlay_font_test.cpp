// Overlay font on a real context: glyph placement and orientation, raster advance, list base, cut and skipped bytes.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "gpu/overlay_font.h"
#include "support/gl_test_context.h"

namespace {

const int kPenX = 20;
const int kPenY = 40;
// Text laid out from the pen may reach this far below the baseline and above it.
const int kDescentRoom = 6;
const int kAscentRoom = 18;

class OverlayFontTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0.0, windowWidth(), 0.0, windowHeight(), -1.0, 1.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glViewport(0, 0, windowWidth(), windowHeight());
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
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

    // Lit pixels of the window, row 0 at the bottom.
    std::vector<bool> litPixels(int& whiteCount, int& otherCount) const {
        std::vector<GLubyte> rgb(windowWidth() * windowHeight() * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, windowWidth(), windowHeight(), GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        std::vector<bool> lit(windowWidth() * windowHeight(), false);
        whiteCount = otherCount = 0;
        for (size_t i = 0; i < lit.size(); ++i) {
            const GLubyte* pixel = &rgb[i * 3];
            lit[i] = pixel[0] != 0 || pixel[1] != 0 || pixel[2] != 0;
            if (pixel[0] == 255 && pixel[1] == 255 && pixel[2] == 255) {
                ++whiteCount;
            } else if (lit[i]) {
                ++otherCount;
            }
        }
        return lit;
    }

    // Lit pixels per window row, between the pen and the given width.
    std::vector<int> inkPerRow(int width) const {
        int white = 0, other = 0;
        const std::vector<bool> lit = litPixels(white, other);
        std::vector<int> rows(windowHeight(), 0);
        for (int y = 0; y < windowHeight(); ++y) {
            for (int x = kPenX; x < kPenX + width; ++x) {
                rows[y] += lit[y * windowWidth() + x] ? 1 : 0;
            }
        }
        return rows;
    }
};

}  // namespace

TEST_F(OverlayFontTest, FpsReadoutAdvancesSevenGlyphsAndKeepsTheListBase) {
    createOverlayFont(-16);
    ASSERT_NE(overlayFontListBase(), 0u) << "a fixed-pitch face is installed on the test machine";
    const float glyph = advanceOf("F");
    EXPECT_GE(glyph, 8.0f) << "a 16-pixel face";
    EXPECT_LE(glyph, 11.0f);

    glListBase(5);
    glRasterPos2i(kPenX, kPenY);
    printOverlayText("FPS: %d", 60);
    EXPECT_FLOAT_EQ(rasterX() - kPenX, 7 * glyph);
    GLint listBase = -1;
    glGetIntegerv(GL_LIST_BASE, &listBase);
    EXPECT_EQ(listBase, 5);
    EXPECT_FLOAT_EQ(advanceOf(" "), glyph) << "a space only advances";
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(OverlayFontTest, GlyphsAreWhiteUprightAndSitOnTheBaselineAtTheRasterPosition) {
    createOverlayFont(-16);  // also makes the current colour white
    glClear(GL_COLOR_BUFFER_BIT);
    glRasterPos2i(kPenX, kPenY);
    printOverlayText("FPS: %d", 60);
    const float width = rasterX() - kPenX;
    int white = 0, other = 0;
    const std::vector<bool> lit = litPixels(white, other);
    EXPECT_GT(white, 40);
    EXPECT_EQ(other, 0) << "bitmap text is drawn in the raster colour only";
    for (int y = 0; y < windowHeight(); ++y) {
        for (int x = 0; x < windowWidth(); ++x) {
            const bool inside = x >= kPenX && x < kPenX + width && y >= kPenY - kDescentRoom &&
                                y < kPenY + kAscentRoom;
            if (lit[y * windowWidth() + x] && !inside) {
                ADD_FAILURE() << "ink outside the text box at " << x << ", " << y;
                return;
            }
        }
    }

    // "T": the bar is its top row and the stem stands on the baseline.
    glClear(GL_COLOR_BUFFER_BIT);
    advanceOf("T");
    std::vector<int> rows = inkPerRow(static_cast<int>(width));
    int bottom = -1, top = -1;
    for (int y = 0; y < windowHeight(); ++y) {
        if (rows[y] > 0) {
            bottom = bottom < 0 ? y : bottom;
            top = y;
        }
    }
    ASSERT_GE(bottom, 0);
    EXPECT_EQ(bottom, kPenY);
    EXPECT_GE(top - bottom, 8) << "capital letters are about 10 pixels tall at this size";
    EXPECT_GT(rows[top], 2 * rows[bottom]) << "the glyph is upside down";

    // "_" hangs below the baseline, "^" stays well above it.
    glClear(GL_COLOR_BUFFER_BIT);
    advanceOf("_");
    rows = inkPerRow(static_cast<int>(width));
    for (int y = kPenY; y < windowHeight(); ++y) {
        EXPECT_EQ(rows[y], 0) << "underscore ink at row " << y;
    }
    glClear(GL_COLOR_BUFFER_BIT);
    advanceOf("^");
    rows = inkPerRow(static_cast<int>(width));
    for (int y = 0; y < kPenY + 4; ++y) {
        EXPECT_EQ(rows[y], 0) << "caret ink at row " << y;
    }
}

TEST_F(OverlayFontTest, EmptyOrNullFormatsDrawNothing) {
    createOverlayFont(-16);
    glClear(GL_COLOR_BUFFER_BIT);
    const char* empty = "";
    glRasterPos2i(kPenX, kPenY);
    printOverlayText(empty);
    printOverlayText(nullptr);
    printOverlayText("%s", "");
    EXPECT_FLOAT_EQ(rasterX(), kPenX);
    int white = 0, other = 0;
    litPixels(white, other);
    EXPECT_EQ(white + other, 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(OverlayFontTest, TextIsCutAt255Characters) {
    createOverlayFont(-16);
    const float glyph = advanceOf("x");
    const std::string longText(300, 'x');
    EXPECT_FLOAT_EQ(advanceOf(longText), 255 * glyph);
    glRasterPos2i(kPenX, kPenY);
    printOverlayText("%s|%s", longText.c_str(), longText.c_str());
    EXPECT_FLOAT_EQ(rasterX() - kPenX, 255 * glyph);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// Bytes without a glyph would select lists beyond the 96; a list placed
// there would jump the raster position by 1000 pixels if it were called.
TEST_F(OverlayFontTest, BytesOutsideThePrintableRangeAreSkipped) {
    createOverlayFont(-16);
    const GLuint base = overlayFontListBase();
    const GLuint trap = base - kOverlayFirstCharacter + 0xC8;
    ASSERT_FALSE(glIsList(trap));
    const GLubyte noBits = 0;
    glNewList(trap, GL_COMPILE);
    glBitmap(0, 0, 0.0f, 0.0f, 1000.0f, 0.0f, &noBits);
    glEndList();

    const float glyph = advanceOf("A");
    EXPECT_FLOAT_EQ(advanceOf("\xC8" "A\x80\xFF\x01\t\n"), glyph);
    EXPECT_FLOAT_EQ(advanceOf("\xC8\xC8"), 0.0f);
    EXPECT_FLOAT_EQ(advanceOf("\x7F"), glyph) << "127 is the last of the 96 glyphs";
    glDeleteLists(trap, 1);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(OverlayFontTest, DeletingTheFontRemovesItsListsAndPrintingThenDrawsNothing) {
    createOverlayFont(-16);
    const GLuint base = overlayFontListBase();
    for (int k = 0; k < kOverlayGlyphCount; ++k) {
        ASSERT_TRUE(glIsList(base + k)) << "glyph list " << k;
    }
    deleteOverlayFont();
    EXPECT_FALSE(glIsList(base));
    EXPECT_FALSE(glIsList(base + kOverlayGlyphCount - 1));
    EXPECT_EQ(overlayFontListBase(), 0u);
    EXPECT_FLOAT_EQ(advanceOf("FPS"), 0.0f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(OverlayFontTest, WithoutAnyFaceOneLineGoesToStandardErrorAndPrintingDrawsNothing) {
    testing::internal::CaptureStderr();
    createOverlayFontFromFamilies(-16, {});
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    EXPECT_NE(errors.find("font"), std::string::npos) << errors;
    EXPECT_EQ(overlayFontListBase(), 0u);
    glClear(GL_COLOR_BUFFER_BIT);
    EXPECT_FLOAT_EQ(advanceOf("FPS: 60"), 0.0f);
    int white = 0, other = 0;
    litPixels(white, other);
    EXPECT_EQ(white + other, 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
