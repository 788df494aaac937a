// GlyphRasterizer: fontconfig face matching and FreeType 1-bit rendering for the overlay glyphs.
#include "gpu/glyph_rasterizer.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

namespace {

const int kDefaultCharacterHeight = 16;
const float kSubpixelsPerPixel = 64.0f;  // FreeType's 26.6 fixed point
const int kBitsPerByte = 8;
const unsigned char kGrayThreshold = 128;

struct FaceLocation {
    std::string file;
    int index = 0;
};

bool fixedPitch(FcPattern* match) {
    int spacing = FC_PROPORTIONAL;
    return FcPatternGetInteger(match, FC_SPACING, 0, &spacing) == FcResultMatch &&
           (spacing == FC_MONO || spacing == FC_CHARCELL);
}

// The face fontconfig picks for the family, when that face has a fixed pitch.
bool matchFamily(const std::string& family, FaceLocation& location) {
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr) {
        return false;
    }
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (match == nullptr) {
        return false;
    }
    bool found = false;
    FcChar8* file = nullptr;
    // fontconfig always answers something; a proportional fallback is no use for aligned columns.
    if (fixedPitch(match) && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
        location.file = reinterpret_cast<const char*>(file);
        location.index = 0;
        FcPatternGetInteger(match, FC_INDEX, 0, &location.index);
        found = true;
    }
    FcPatternDestroy(match);
    return found;
}

bool setHeight(FT_Face face, int height) {
    FT_UInt pixels = kDefaultCharacterHeight;
    if (height < 0) {
        pixels = static_cast<FT_UInt>(-height);
    } else if (height > 0) {
        // A positive height is the whole cell, ascent plus descent.
        const int cellUnits = face->ascender - face->descender;
        pixels = static_cast<FT_UInt>(height);
        if (cellUnits > 0) {
            pixels = static_cast<FT_UInt>(height * face->units_per_EM / cellUnits);
        }
    }
    return pixels > 0 && FT_Set_Pixel_Sizes(face, 0, pixels) == 0;
}

bool pixelSet(const FT_Bitmap& bitmap, int x, int row) {
    const unsigned char* line = bitmap.buffer + row * bitmap.pitch;
    if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
        return (line[x / kBitsPerByte] & (0x80 >> (x % kBitsPerByte))) != 0;
    }
    return line[x] >= kGrayThreshold;
}

// fontconfig is needed only to find the face file: its configuration and
// caches go as soon as the match is done, as FreeType's face holds the font.
class FontconfigSession {
public:
    FontconfigSession() : ready_(FcInit() == FcTrue) {}
    ~FontconfigSession() {
        if (ready_) {
            FcFini();
        }
    }
    FontconfigSession(const FontconfigSession&) = delete;
    FontconfigSession& operator=(const FontconfigSession&) = delete;
    bool ready() const { return ready_; }

private:
    bool ready_;
};

}  // namespace

struct GlyphRasterizer::FreeTypeFace {
    FT_Library library = nullptr;
    FT_Face face = nullptr;

    ~FreeTypeFace() {
        if (face != nullptr) {
            FT_Done_Face(face);
        }
        if (library != nullptr) {
            FT_Done_FreeType(library);
        }
    }
};

GlyphRasterizer::GlyphRasterizer(const std::vector<std::string>& families, int height) {
    const FontconfigSession fontconfig;
    if (families.empty() || !fontconfig.ready()) {
        return;
    }
    auto freeType = std::make_unique<FreeTypeFace>();
    if (FT_Init_FreeType(&freeType->library) != 0) {
        return;
    }
    for (const std::string& family : families) {
        FaceLocation location;
        if (!matchFamily(family, location)) {
            continue;
        }
        if (FT_New_Face(freeType->library, location.file.c_str(), location.index, &freeType->face) != 0) {
            freeType->face = nullptr;
            continue;
        }
        if (setHeight(freeType->face, height)) {
            face_ = std::move(freeType);
            return;
        }
        FT_Done_Face(freeType->face);
        freeType->face = nullptr;
    }
}

GlyphRasterizer::~GlyphRasterizer() = default;

bool GlyphRasterizer::hasFace() const { return face_ != nullptr; }

bool GlyphRasterizer::rasterize(unsigned long characterCode, GlyphBitmap& glyph) const {
    if (!hasFace()) {
        return false;
    }
    FT_Face face = face_->face;
    if (FT_Load_Char(face, characterCode, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME) != 0) {
        return false;
    }
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_MONO && bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) {
        return false;
    }
    glyph.width = static_cast<int>(bitmap.width);
    glyph.rows = static_cast<int>(bitmap.rows);
    glyph.xOrigin = static_cast<float>(-slot->bitmap_left);
    glyph.yOrigin = static_cast<float>(glyph.rows - slot->bitmap_top);
    glyph.advance = static_cast<float>(slot->advance.x) / kSubpixelsPerPixel;

    // FreeType stores the top row first; glBitmap wants the bottom row first.
    const int bytesPerRow = (glyph.width + kBitsPerByte - 1) / kBitsPerByte;
    glyph.bits.assign(static_cast<std::size_t>(bytesPerRow) * glyph.rows, 0);
    for (int row = 0; row < glyph.rows; ++row) {
        unsigned char* out = glyph.bits.data() + static_cast<std::size_t>(glyph.rows - 1 - row) * bytesPerRow;
        for (int x = 0; x < glyph.width; ++x) {
            if (pixelSet(bitmap, x, row)) {
                out[x / kBitsPerByte] |= static_cast<unsigned char>(0x80 >> (x % kBitsPerByte));
            }
        }
    }
    return true;
}

const std::vector<std::string>& overlayFaceFamilies() {
    static const std::vector<std::string> families = {"Courier New", "monospace"};
    return families;
}
