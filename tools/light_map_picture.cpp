// Light map picture file: the map's floats in, the drawn picture out through FreeImage as a PNG.
#include "light_map_picture.h"

#include <algorithm>

#include "environment/environment_map.h"
#include "environment/light_map_picture.h"

namespace {

constexpr int kChannels = 3;
constexpr int kMarkDivisor = 200;  // mark half-size as a share of the picture width
constexpr int kMinimumMarkRadius = 3;

}  // namespace

bool saveLightMapPicture(FIBITMAP* map, const std::vector<const LightRegion*>& leaves, int cutWidth, int cutHeight,
                         const char* fileName) {
    const int width = int(FreeImage_GetWidth(map));
    const int height = int(FreeImage_GetHeight(map));
    std::vector<float> pixels(static_cast<std::size_t>(width) * height * kChannels);
    copyEnvironmentPixels(map, pixels.data());
    std::vector<LightCell> cells;
    for (const LightRegion* leaf : leaves) {
        cells.push_back(lightCellOf(*leaf));
    }
    const RgbPicture picture =
        drawLightMapPicture(pixels.data(), width, height, cells.data(), static_cast<int>(cells.size()), cutWidth,
                            cutHeight, std::max(kMinimumMarkRadius, width / kMarkDivisor));

    FIBITMAP* bitmap = FreeImage_Allocate(width, height, 24);
    if (bitmap == nullptr) {
        return false;
    }
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* source = &picture.rgb[static_cast<std::size_t>(y) * width * kChannels];
        BYTE* target = FreeImage_GetScanLine(bitmap, y);
        for (int x = 0; x < width; ++x) {
            target[3 * x + FI_RGBA_RED] = source[3 * x];
            target[3 * x + FI_RGBA_GREEN] = source[3 * x + 1];
            target[3 * x + FI_RGBA_BLUE] = source[3 * x + 2];
        }
    }
    const bool saved = FreeImage_Save(FIF_PNG, bitmap, fileName, PNG_Z_BEST_COMPRESSION) != FALSE;
    FreeImage_Unload(bitmap);
    return saved;
}
