// DIB decoder: reads the file and info headers and the colour table of a bitmap held in memory and converts its pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "environment/dib_converter.h"
#include "environment/rgb_image.h"

// Sizes of the file header and of the two bitmap headers the decoder knows.
constexpr std::uint32_t kDibFileHeaderSize = 14;
constexpr std::uint32_t kDibCoreHeaderSize = 12;
constexpr std::uint32_t kDibInfoHeaderSize = 40;

struct DibDecodeResult {
    std::unique_ptr<RGBImage> image;  // null unless error is None
    DibError error = DibError::None;
};

// Decodes a "BM" file or a bare bitmap (header, colour table, pixels) from
// bytes .. bytes + length. Only 12-byte core and 40-byte info headers are
// known; nothing outside the buffer is read. Pictures of more than
// maxImageBytes RGB bytes are refused as OutOfMemory.
DibDecodeResult decodeDIB(const unsigned char* bytes, std::size_t length,
                          std::uint64_t maxImageBytes = kDibMaxImageBytes);
