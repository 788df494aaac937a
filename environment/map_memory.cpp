// Map memory: the loading steps' held bytes, step by step, and their maximum.
#include "environment/map_memory.h"

#include <algorithm>

namespace {

// The extraction's contribution table: one float per sky pixel, at most the whole map.
constexpr std::uint64_t kContributionBytes = 4;
// The decoders' line buffers, the rescale's weight tables and the heap's own slack.
constexpr std::uint64_t kReaderMarginBytes = 64u << 20;

}  // namespace

std::uint64_t mapLoadingBytes(const MapPicture& picture, std::uint64_t fileBytes, int targetWidth, int targetHeight) {
    const std::uint64_t sourceWidth = picture.width;
    const std::uint64_t sourceHeight = picture.height;
    const std::uint64_t width = static_cast<std::uint64_t>(std::max(targetWidth, 0));
    const std::uint64_t height = static_cast<std::uint64_t>(std::max(targetHeight, 0));
    const std::uint64_t source = sourceWidth * sourceHeight;
    const std::uint64_t target = width * height;
    const std::uint64_t decodedBytes = picture.rgbOnly ? kRgbFloatBytes : kRgbaFloatBytes;

    // Decoding: the file's bytes and the picture they become.
    const std::uint64_t decoding = fileBytes + source * decodedBytes;
    // Converting to RGB floats: the decoded picture and its copy.
    const std::uint64_t converting = picture.rgbOnly ? 0 : source * (kRgbaFloatBytes + kRgbFloatBytes);
    // Rescaling: the source, the destination and the intermediate picture
    // (one direction done), of the smaller of the two orders.
    const std::uint64_t intermediate = std::min(width * sourceHeight, sourceWidth * height) * kRgbFloatBytes;
    const std::uint64_t rescaling = (source + target) * kRgbFloatBytes + intermediate;
    // Extracting from the rescaled picture.
    const std::uint64_t extracting = target * (kRgbFloatBytes + kContributionBytes);
    return std::max({decoding, converting, rescaling, extracting}) + kReaderMarginBytes;
}
