// Fuzz target of the HDR path: FreeImage decodes arbitrary bytes, then our rescale, pixel copy and light extraction.
#include <FreeImage.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "environment/environment_lights.h"
#include "environment/environment_map.h"
#include "environment/light_extractor.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/quiet_platform.h"

namespace {

// Small enough for a fast iteration, tall enough that the sky above the
// skipped horizon rows still has rows to cut.
constexpr int kMapWidth = 96;
constexpr int kMapHeight = 128;
constexpr int kChannels = 3;
// A header may announce 64 M pixels; FreeImage then allocates the picture
// before it finds the data missing, which under the sanitizers is slow.
constexpr std::uint64_t kFuzzMaxPixels = std::uint64_t{1} << 16;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    installQuietPlatform();
    FreeImage_Initialise(FALSE);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FIBITMAP* image = loadRescaledEnvironmentImageFromMemory(data, size, kMapWidth, kMapHeight, kFuzzMaxPixels);
    if (image == nullptr) {
        return 0;
    }
    FUZZ_CHECK(FreeImage_GetImageType(image) == FIT_RGBF);
    FUZZ_CHECK(FreeImage_GetWidth(image) == static_cast<unsigned>(kMapWidth));
    FUZZ_CHECK(FreeImage_GetHeight(image) == static_cast<unsigned>(kMapHeight));
    std::vector<float> pixels(static_cast<std::size_t>(kMapWidth) * kMapHeight * kChannels);
    copyEnvironmentPixels(image, pixels.data());
    FreeImage_Unload(image);

    Vector3 directions[kDefaultLightCount];
    Vector3 colours[kDefaultLightCount];
    extractLights(pixels.data(), kMapWidth, kMapHeight, directions, colours);
    // Whatever the pixels hold, every light points somewhere: a unit direction.
    for (const Vector3& direction : directions) {
        const float length = std::sqrt(dot(direction, direction));
        FUZZ_CHECK(std::fabs(length - 1.0f) < 1e-3f);
    }
    return 0;
}
