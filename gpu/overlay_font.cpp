// Overlay font: glyph display lists built from FreeType bitmaps, and formatted printing through glCallLists.
#include "gpu/overlay_font.h"

#include <cstdarg>
#include <cstdio>

#include "gpu/glyph_rasterizer.h"

namespace {

const int kLastCharacter = kOverlayFirstCharacter + kOverlayGlyphCount - 1;

// The first of the 96 glyph lists; 0 while no font exists.
GLuint overlayFont = 0;

void compileGlyphList(GLuint list, const GlyphBitmap& glyph) {
    static const GLubyte kNoBits = 0;
    glNewList(list, GL_COMPILE);
    glBitmap(glyph.width, glyph.rows, glyph.xOrigin, glyph.yOrigin, glyph.advance, 0.0f,
             glyph.bits.empty() ? &kNoBits : glyph.bits.data());
    glEndList();
}

}  // namespace

void createOverlayFont(int height) { createOverlayFontFromFamilies(height, overlayFaceFamilies()); }

void createOverlayFontFromFamilies(int height, const std::vector<std::string>& families) {
    const GlyphRasterizer glyphs(families, height);
    if (!glyphs.hasFace()) {
        std::fprintf(stderr, "Overlay font: no fixed-pitch font face found; overlay text will not be drawn\n");
    } else {
        overlayFont = glGenLists(kOverlayGlyphCount);
        // glBitmap copies the bits into the list with the unpack state of compile time.
        glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
        glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
        glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
        glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
        for (int k = 0; overlayFont != 0 && k < kOverlayGlyphCount; ++k) {
            GlyphBitmap glyph;
            if (glyphs.rasterize(static_cast<unsigned long>(kOverlayFirstCharacter + k), glyph)) {
                compileGlyphList(overlayFont + k, glyph);
            }
        }
        glPopClientAttrib();
    }
    glColor3f(1.0f, 1.0f, 1.0f);
}

void deleteOverlayFont() {
    if (overlayFont != 0) {
        glDeleteLists(overlayFont, kOverlayGlyphCount);
        overlayFont = 0;
    }
}

GLuint overlayFontListBase() { return overlayFont; }

void printOverlayText(const char* format, ...) {
    if (format == nullptr || overlayFont == 0) {
        return;
    }
    char text[kOverlayTextBufferBytes];
    va_list arguments;
    va_start(arguments, format);
    // Longer text is cut at the buffer's end.
    const int written = std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    if (written <= 0) {
        return;
    }
    // Only codes with a glyph list are called: any other byte would name a
    // list outside the 96, possibly one that another part of the program owns.
    GLubyte codes[kOverlayTextBufferBytes];
    GLsizei count = 0;
    for (const char* byte = text; *byte != '\0'; ++byte) {
        const unsigned char code = static_cast<unsigned char>(*byte);
        if (code >= kOverlayFirstCharacter && code <= kLastCharacter) {
            codes[count++] = code;
        }
    }
    if (count == 0) {
        return;
    }
    glPushAttrib(GL_LIST_BIT);
    // Offsetting the base by the first code lets each byte select its own list.
    glListBase(overlayFont - kOverlayFirstCharacter);
    glCallLists(count, GL_UNSIGNED_BYTE, codes);
    glPopAttrib();
}
