// DIB pixel converter: turns device-independent bitmap pixel data of every common layout into packed 24-bit RGB rows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "environment/rgb_image.h"

// Why a bitmap could not be turned into an RGBImage.
enum class DibError { None, UnknownFormat, OutOfMemory, ConversionError };

// Compression codes of the info header.
constexpr std::uint32_t kDibUncompressed = 0;
constexpr std::uint32_t kDibRle8 = 1;
constexpr std::uint32_t kDibRle4 = 2;
constexpr std::uint32_t kDibBitFields = 3;

// The pixel layout as the headers describe it, colour table and masks included.
struct DibDescription {
    std::int32_t width = 0;
    std::int32_t height = 0;  // negative for rows stored top to bottom
    std::uint16_t bitCount = 0;
    std::uint32_t compression = kDibUncompressed;
    std::vector<std::uint32_t> colours;  // entries 0x00RRGGBB
    std::uint32_t redMask = 0;
    std::uint32_t greenMask = 0;
    std::uint32_t blueMask = 0;
};

// Larger pictures are refused as out of memory before anything is allocated:
// a few bytes of run-length data can announce any size.
constexpr std::uint64_t kDibMaxImageBytes = std::uint64_t{1} << 30;

// Converts the pixel data (pixels .. pixels + available) into image, rows
// bottom first whatever the stored order. Never reads outside the given
// bytes: data shorter than the layout needs is a ConversionError. A picture
// of more than maxImageBytes RGB bytes is OutOfMemory.
DibError convertDibPixels(const DibDescription& description, const unsigned char* pixels, std::size_t available,
                          RGBImage& image, std::uint64_t maxImageBytes = kDibMaxImageBytes);
