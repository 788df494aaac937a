// DIB decoder: file header, 12-byte core or 40-byte info header, colour table and masks, then the pixel converter.
#include "environment/dib_decoder.h"

#include <cstdint>

namespace {

constexpr std::size_t kPixelOffsetField = 10;
constexpr std::size_t kCoreColourEntrySize = 3;
constexpr std::size_t kInfoColourEntrySize = 4;
constexpr std::size_t kMaskBytes = 12;  // red, green, blue masks after a 40-byte header

std::uint16_t readU16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

std::uint32_t readU32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Colour-table entries for a bit count: 2, 16 or 256 for palettised data, none otherwise.
std::size_t coloursForBitCount(std::uint16_t bitCount) {
    switch (bitCount) {
        case 1:
            return 2;
        case 4:
            return 16;
        case 8:
            return 256;
        default:
            return 0;
    }
}

DibDecodeResult failure(DibError error) {
    DibDecodeResult result;
    result.error = error;
    return result;
}

}  // namespace

DibDecodeResult decodeDIB(const unsigned char* bytes, std::size_t length, std::uint64_t maxImageBytes) {
    const bool hasFileHeader = length >= 2 && bytes[0] == 'B' && bytes[1] == 'M';
    const std::size_t headerStart = hasFileHeader ? kDibFileHeaderSize : 0;
    if (length < headerStart + sizeof(std::uint32_t)) {
        return failure(DibError::ConversionError);
    }
    const unsigned char* header = bytes + headerStart;
    const std::uint32_t headerSize = readU32(header);
    if (headerSize != kDibCoreHeaderSize && headerSize != kDibInfoHeaderSize) {
        return failure(DibError::UnknownFormat);
    }
    if (length - headerStart < headerSize) {
        return failure(DibError::ConversionError);
    }

    DibDescription description;
    std::size_t colourCount = 0;
    std::size_t entrySize = kInfoColourEntrySize;
    std::size_t tableStart = headerStart + headerSize;
    if (headerSize == kDibCoreHeaderSize) {
        description.width = readU16(header + 4);
        description.height = readU16(header + 6);
        description.bitCount = readU16(header + 10);
        colourCount = coloursForBitCount(description.bitCount);
        entrySize = kCoreColourEntrySize;
    } else {
        description.width = static_cast<std::int32_t>(readU32(header + 4));
        description.height = static_cast<std::int32_t>(readU32(header + 8));
        description.bitCount = readU16(header + 14);
        description.compression = readU32(header + 16);
        const std::uint32_t coloursUsed = readU32(header + 32);
        // A non-zero colours-used field counts, cut to 16 bits.
        colourCount = coloursUsed != 0 ? (coloursUsed & 0xFFFF) : coloursForBitCount(description.bitCount);
        if (description.compression == kDibBitFields) {
            if (length - tableStart < kMaskBytes) {
                return failure(DibError::ConversionError);
            }
            description.redMask = readU32(bytes + tableStart);
            description.greenMask = readU32(bytes + tableStart + 4);
            description.blueMask = readU32(bytes + tableStart + 8);
            tableStart += kMaskBytes;
        }
    }

    if ((length - tableStart) / entrySize < colourCount) {
        return failure(DibError::ConversionError);
    }
    description.colours.reserve(colourCount);
    for (std::size_t i = 0; i < colourCount; ++i) {
        const unsigned char* entry = bytes + tableStart + i * entrySize;  // blue, green, red
        description.colours.push_back((std::uint32_t{entry[2]} << 16) | (entry[1] << 8) | entry[0]);
    }
    const std::size_t tableEnd = tableStart + colourCount * entrySize;

    // A "BM" file says where its pixels are; a bare bitmap has them right after the colour table.
    const std::size_t pixelStart = hasFileHeader ? readU32(bytes + kPixelOffsetField) : tableEnd;
    if (pixelStart > length) {
        return failure(DibError::ConversionError);
    }

    DibDecodeResult result;
    result.image = std::make_unique<RGBImage>();
    result.error = convertDibPixels(description, bytes + pixelStart, length - pixelStart, *result.image, maxImageBytes);
    if (result.error != DibError::None) {
        result.image.reset();
    }
    return result;
}
