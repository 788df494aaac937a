// GlyphRasterizer: finds a monospace face through fontconfig and renders characters as 1-bit bitmaps with FreeType.
#pragma once

#include <memory>
#include <string>
#include <vector>

// One character ready for glBitmap: 1 bit per pixel, leftmost pixel in the
// most significant bit, rows of (width + 7) / 8 bytes, bottom row first.
struct GlyphBitmap {
    int width = 0;
    int rows = 0;
    // The bitmap's lower-left corner lies this far left of and below the pen
    // position on the baseline (glBitmap's xorig and yorig).
    float xOrigin = 0.0f;
    float yOrigin = 0.0f;
    float advance = 0.0f;  // pixels the pen moves to the right
    std::vector<unsigned char> bits;
};

class GlyphRasterizer {
public:
    // Tries the families in order and keeps the first fixed-pitch face that
    // FreeType can open at the height. A negative height is the character
    // height in pixels (the em square), a positive one the whole cell height,
    // zero a default size.
    GlyphRasterizer(const std::vector<std::string>& families, int height);
    ~GlyphRasterizer();
    GlyphRasterizer(const GlyphRasterizer&) = delete;
    GlyphRasterizer& operator=(const GlyphRasterizer&) = delete;

    bool hasFace() const;

    // Renders one character code; false when there is no face or FreeType fails.
    bool rasterize(unsigned long characterCode, GlyphBitmap& glyph) const;

private:
    struct FreeTypeFace;
    std::unique_ptr<FreeTypeFace> face_;
};

// The overlay's families: the face the overlay was designed with ("Courier
// New", which fontconfig maps to a metric-compatible face), then any monospace one.
const std::vector<std::string>& overlayFaceFamilies();
