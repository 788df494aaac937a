// Light map picture: tone mapping, region outlines and brightness-coloured light marks drawn with FreeImage.
#include "light_map_picture.h"

#include <algorithm>
#include <cmath>

#include "environment/luminance.h"

namespace {

constexpr float kGamma = 1.0f / 2.2f;
constexpr int kMarkDivisor = 200;  // mark half-size as a share of the picture width
constexpr int kMinimumMarkRadius = 3;
constexpr BYTE kOutlineGrey = 170;
constexpr float kColourDecades = 3.0f;  // brightness range spread over the colour ramp

struct Colour {
    BYTE red;
    BYTE green;
    BYTE blue;
};

class Canvas {
public:
    explicit Canvas(FIBITMAP* bitmap)
        : bitmap_(bitmap), width_(int(FreeImage_GetWidth(bitmap))), height_(int(FreeImage_GetHeight(bitmap))) {}
    int width() const { return width_; }
    int height() const { return height_; }

    void set(int x, int y, Colour colour) {
        if (x < 0 || y < 0 || x >= width_ || y >= height_) {
            return;
        }
        BYTE* pixel = FreeImage_GetScanLine(bitmap_, y) + x * 3;
        pixel[FI_RGBA_RED] = colour.red;
        pixel[FI_RGBA_GREEN] = colour.green;
        pixel[FI_RGBA_BLUE] = colour.blue;
    }

    void fill(int left, int bottom, int right, int top, Colour colour) {
        for (int y = bottom; y <= top; ++y) {
            for (int x = left; x <= right; ++x) {
                set(x, y, colour);
            }
        }
    }

private:
    FIBITMAP* bitmap_;
    int width_;
    int height_;
};

BYTE toneMap(float value) {
    // Exponential exposure curve: keeps the dim room readable and the lamps white.
    const float mapped = std::pow(1.0f - std::exp(-std::max(value, 0.0f)), kGamma);
    return static_cast<BYTE>(std::lround(std::clamp(mapped, 0.0f, 1.0f) * 255.0f));
}

// Dim lights blue, middle ones green-yellow, the brightest red.
Colour brightnessColour(float share) {
    const float t = std::clamp(share, 0.0f, 1.0f);
    const float red = std::clamp(2.0f * t, 0.0f, 1.0f);
    const float green = 1.0f - std::abs(2.0f * t - 1.0f);
    const float blue = std::clamp(1.0f - 2.0f * t, 0.0f, 1.0f);
    return {BYTE(red * 255.0f), BYTE(green * 255.0f), BYTE(blue * 255.0f)};
}

float luminance(const Vector3& colour) { return ::luminance(colour.x, colour.y, colour.z); }

}  // namespace

bool saveLightMapPicture(FIBITMAP* map, const std::vector<const LightRegion*>& leaves, int cutWidth, int cutHeight,
                         const char* fileName) {
    const int width = int(FreeImage_GetWidth(map));
    const int height = int(FreeImage_GetHeight(map));
    FIBITMAP* picture = FreeImage_Allocate(width, height, 24);
    if (picture == nullptr) {
        return false;
    }
    for (int y = 0; y < height; ++y) {
        const FIRGBF* source = reinterpret_cast<const FIRGBF*>(FreeImage_GetScanLine(map, y));
        BYTE* target = FreeImage_GetScanLine(picture, y);
        for (int x = 0; x < width; ++x) {
            target[3 * x + FI_RGBA_RED] = toneMap(source[x].red);
            target[3 * x + FI_RGBA_GREEN] = toneMap(source[x].green);
            target[3 * x + FI_RGBA_BLUE] = toneMap(source[x].blue);
        }
    }

    Canvas canvas(picture);
    // Cut coordinates scale down to the picture; an end bound maps to the
    // last pixel before the scaled bound.
    auto toX = [&](int x) { return int(static_cast<long long>(x) * width / cutWidth); };
    auto toY = [&](int y) { return int(static_cast<long long>(y) * height / cutHeight); };
    const Colour outline{kOutlineGrey, kOutlineGrey, kOutlineGrey};
    for (const LightRegion* leaf : leaves) {
        if (!leaf->holdsPixels()) {
            continue;
        }
        const int left = toX(leaf->x0);
        const int right = std::max(left, toX(leaf->x1) - 1);
        const int bottom = toY(leaf->y0);
        const int top = std::max(bottom, toY(leaf->y1) - 1);
        canvas.fill(left, bottom, right, bottom, outline);
        canvas.fill(left, top, right, top, outline);
        canvas.fill(left, bottom, left, top, outline);
        canvas.fill(right, bottom, right, top, outline);
    }

    // Brightness on a logarithmic scale, since the lights of a map span decades.
    float brightest = 0.0f;
    for (const LightRegion* leaf : leaves) {
        brightest = std::max(brightest, luminance(leaf->colour));
    }
    const int radius = std::max(kMinimumMarkRadius, width / kMarkDivisor);
    // Dim lights first, so that the bright ones stay visible where marks overlap.
    std::vector<const LightRegion*> byBrightness(leaves);
    std::stable_sort(byBrightness.begin(), byBrightness.end(), [](const LightRegion* a, const LightRegion* b) {
        return luminance(a->colour) < luminance(b->colour);
    });
    for (const LightRegion* leaf : byBrightness) {
        if (!leaf->holdsPixels()) {
            continue;
        }
        const float level = luminance(leaf->colour);
        const float share =
            (brightest > 0.0f && level > 0.0f) ? 1.0f + std::log10(level / brightest) / kColourDecades : 0.0f;
        const int x = toX(leaf->lightColumn);
        const int y = toY(leaf->lightRow);
        canvas.fill(x - radius - 1, y - radius - 1, x + radius + 1, y + radius + 1, Colour{0, 0, 0});
        canvas.fill(x - radius, y - radius, x + radius, y + radius, brightnessColour(share));
    }
    const bool saved = FreeImage_Save(FIF_PNG, picture, fileName, PNG_Z_BEST_COMPRESSION) != FALSE;
    FreeImage_Unload(picture);
    return saved;
}
