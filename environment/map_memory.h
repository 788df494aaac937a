// Map memory: the most memory loading a map holds at once, worked out from its header before it is decoded.
#pragma once

#include <cstdint>

#include "environment/map_header.h"

// Bytes of RGB float pixels: three 32-bit floats each.
constexpr std::uint64_t kRgbFloatBytes = 12;
// Four floats: what FreeImage decodes an OpenEXR picture with alpha (or other
// channels) into before it is converted.
constexpr std::uint64_t kRgbaFloatBytes = 16;

// The peak of a map's load: the file's bytes, the decoded picture, its RGB
// copy, the rescale's source, intermediate and destination, and the
// extraction's table, each step counted with what is still held while
// it runs (the file's bytes go after decoding, each picture after the step
// that replaces it), plus a margin for the readers' own buffers.
std::uint64_t mapLoadingBytes(const MapPicture& picture, std::uint64_t fileBytes, int targetWidth, int targetHeight);
