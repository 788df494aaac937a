// Builders for the small bitmap files the reader tests write themselves.
#include "bitmap_builder.h"

namespace bitmap_builder {

std::string u16(std::uint16_t value) {
    return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

std::string u32(std::uint32_t value) {
    return u16(static_cast<std::uint16_t>(value)) + u16(static_cast<std::uint16_t>(value >> 16));
}

std::string infoHeader(std::int32_t width, std::int32_t height, std::uint16_t bitCount, std::uint32_t compression,
                       std::uint32_t coloursUsed) {
    return u32(40) + u32(static_cast<std::uint32_t>(width)) + u32(static_cast<std::uint32_t>(height)) + u16(1) +
           u16(bitCount) + u32(compression) + u32(0) + u32(2835) + u32(2835) + u32(coloursUsed) + u32(0);
}

std::string coreHeader(std::uint16_t width, std::uint16_t height, std::uint16_t bitCount) {
    return u32(12) + u16(width) + u16(height) + u16(1) + u16(bitCount);
}

std::string colourTable(const std::vector<std::uint32_t>& rgb, bool coreEntries) {
    std::string table;
    for (std::uint32_t colour : rgb) {
        table += static_cast<char>(colour & 0xFF);
        table += static_cast<char>((colour >> 8) & 0xFF);
        table += static_cast<char>((colour >> 16) & 0xFF);
        if (!coreEntries) {
            table += '\0';
        }
    }
    return table;
}

std::string bmFile(const std::string& headerAndTable, const std::string& pixels, std::size_t gap) {
    const std::uint32_t offset = static_cast<std::uint32_t>(14 + headerAndTable.size() + gap);
    const std::uint32_t size = static_cast<std::uint32_t>(offset + pixels.size());
    return "BM" + u32(size) + u32(0) + u32(offset) + headerAndTable + std::string(gap, '\x55') + pixels;
}

}  // namespace bitmap_builder
