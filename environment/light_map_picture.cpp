// Light map picture: tone mapping, region outlines and brightness-coloured light marks on a plain RGB buffer.
#include "environment/light_map_picture.h"

#include <algorithm>
#include <cmath>

#include "environment/light_extractor.h"
#include "environment/luminance.h"

namespace {

constexpr float kGamma = 1.0f / 2.2f;
constexpr std::uint8_t kOutlineGrey = 170;
constexpr float kColourDecades = 3.0f;  // brightness range spread over the colour ramp
constexpr float kFullByte = 255.0f;

struct Colour {
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;
};

class Canvas {
public:
    explicit Canvas(RgbPicture& picture) : picture_(picture) {}

    void set(int x, int y, Colour colour) {
        if (x < 0 || y < 0 || x >= picture_.width || y >= picture_.height) {
            return;
        }
        std::uint8_t* pixel = &picture_.rgb[(static_cast<std::size_t>(y) * picture_.width + x) * kRgbChannels];
        pixel[0] = colour.red;
        pixel[1] = colour.green;
        pixel[2] = colour.blue;
    }

    void fill(int left, int bottom, int right, int top, Colour colour) {
        for (int y = bottom; y <= top; ++y) {
            for (int x = left; x <= right; ++x) {
                set(x, y, colour);
            }
        }
    }

private:
    RgbPicture& picture_;
};

std::uint8_t toneMap(float value) {
    // Exponential exposure curve: keeps a dim room readable and the lamps white.
    const float mapped = std::pow(1.0f - std::exp(-std::max(value, 0.0f)), kGamma);
    return static_cast<std::uint8_t>(std::lround(std::clamp(mapped, 0.0f, 1.0f) * kFullByte));
}

// Dim lights blue, middle ones green-yellow, the brightest red.
Colour brightnessColour(float share) {
    const float t = std::clamp(share, 0.0f, 1.0f);
    const float red = std::clamp(2.0f * t, 0.0f, 1.0f);
    const float green = 1.0f - std::abs(2.0f * t - 1.0f);
    const float blue = std::clamp(1.0f - 2.0f * t, 0.0f, 1.0f);
    return {std::uint8_t(red * kFullByte), std::uint8_t(green * kFullByte), std::uint8_t(blue * kFullByte)};
}

float luminance(const Vector3& colour) { return ::luminance(colour.x, colour.y, colour.z); }

}  // namespace

RgbPicture drawLightMapPicture(const float* map, int width, int height, const LightCell* cells, int count, int cutWidth,
                               int cutHeight, int markRadius) {
    RgbPicture picture;
    picture.width = std::max(width, 0);
    picture.height = std::max(height, 0);
    const std::size_t values = static_cast<std::size_t>(picture.width) * picture.height * kRgbChannels;
    picture.rgb.resize(values);
    for (std::size_t i = 0; i < values; ++i) {
        picture.rgb[i] = toneMap(map[i]);
    }
    if (cutWidth <= 0 || cutHeight <= 0) {
        return picture;
    }

    Canvas canvas(picture);
    // Cut coordinates scale to the picture; an end bound maps to the last
    // pixel before the scaled bound.
    auto toX = [&](int x) { return int(static_cast<long long>(x) * picture.width / cutWidth); };
    auto toY = [&](int y) { return int(static_cast<long long>(y) * picture.height / cutHeight); };
    const Colour outline{kOutlineGrey, kOutlineGrey, kOutlineGrey};
    for (int i = 0; i < count; ++i) {
        const LightCell& cell = cells[i];
        if (!cell.holdsPixels()) {
            continue;
        }
        const int left = toX(cell.x0);
        const int right = std::max(left, toX(cell.x1) - 1);
        const int bottom = toY(cell.y0);
        const int top = std::max(bottom, toY(cell.y1) - 1);
        canvas.fill(left, bottom, right, bottom, outline);
        canvas.fill(left, top, right, top, outline);
        canvas.fill(left, bottom, left, top, outline);
        canvas.fill(right, bottom, right, top, outline);
    }

    // Brightness on a logarithmic scale, since the lights of a map span decades.
    float brightest = 0.0f;
    for (int i = 0; i < count; ++i) {
        brightest = std::max(brightest, luminance(cells[i].colour));
    }
    // Dim lights first, so that the bright ones stay visible where marks overlap.
    std::vector<const LightCell*> byBrightness;
    for (int i = 0; i < count; ++i) {
        byBrightness.push_back(&cells[i]);
    }
    std::stable_sort(byBrightness.begin(), byBrightness.end(), [](const LightCell* a, const LightCell* b) {
        return luminance(a->colour) < luminance(b->colour);
    });
    for (const LightCell* cell : byBrightness) {
        if (!cell->holdsPixels()) {
            continue;
        }
        const float level = luminance(cell->colour);
        const float share =
            (brightest > 0.0f && level > 0.0f) ? 1.0f + std::log10(level / brightest) / kColourDecades : 0.0f;
        const int x = toX(cell->column);
        const int y = toY(cell->row);
        canvas.fill(x - markRadius - 1, y - markRadius - 1, x + markRadius + 1, y + markRadius + 1, Colour{0, 0, 0});
        canvas.fill(x - markRadius, y - markRadius, x + markRadius, y + markRadius, brightnessColour(share));
    }
    return picture;
}

std::vector<float> resampleMap(const float* map, int width, int height, int targetWidth, int targetHeight) {
    std::vector<float> target(static_cast<std::size_t>(std::max(targetWidth, 0)) * std::max(targetHeight, 0) *
                              kRgbChannels);
    if (width <= 0 || height <= 0 || targetWidth <= 0 || targetHeight <= 0) {
        return target;
    }
    // The source columns and rows whose centres fall into target pixel t: from
    // ceil(t * size / targetSize - 0.5) up to the next pixel's first; at least one.
    auto firstOf = [](int t, int size, int targetSize) {
        const long long scaled = static_cast<long long>(2 * t) * size;  // twice t * size / targetSize, exact
        return static_cast<int>(std::min<long long>((scaled + targetSize - 1) / (2LL * targetSize), size - 1));
    };
    for (int ty = 0; ty < targetHeight; ++ty) {
        const int y0 = firstOf(ty, height, targetHeight);
        const int y1 = std::max(y0 + 1, ty + 1 < targetHeight ? firstOf(ty + 1, height, targetHeight) : height);
        for (int tx = 0; tx < targetWidth; ++tx) {
            const int x0 = firstOf(tx, width, targetWidth);
            const int x1 = std::max(x0 + 1, tx + 1 < targetWidth ? firstOf(tx + 1, width, targetWidth) : width);
            double sum[kRgbChannels] = {};
            for (int y = y0; y < y1; ++y) {
                const float* row = map + (static_cast<std::size_t>(y) * width + x0) * kRgbChannels;
                for (int x = x0; x < x1; ++x, row += kRgbChannels) {
                    for (int c = 0; c < kRgbChannels; ++c) {
                        sum[c] += row[c];
                    }
                }
            }
            const double pixels = static_cast<double>(y1 - y0) * (x1 - x0);
            float* out = &target[(static_cast<std::size_t>(ty) * targetWidth + tx) * kRgbChannels];
            for (int c = 0; c < kRgbChannels; ++c) {
                out[c] = static_cast<float>(sum[c] / pixels);
            }
        }
    }
    return target;
}
