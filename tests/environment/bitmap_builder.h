// Builders for the small bitmap files the reader tests write themselves.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bitmap_builder {

std::string u16(std::uint16_t value);
std::string u32(std::uint32_t value);

// 40-byte info header.
std::string infoHeader(std::int32_t width, std::int32_t height, std::uint16_t bitCount, std::uint32_t compression = 0,
                       std::uint32_t coloursUsed = 0);
// 12-byte core header.
std::string coreHeader(std::uint16_t width, std::uint16_t height, std::uint16_t bitCount);
// Colour entries (blue, green, red, 0) from 0xRRGGBB values; three bytes each for a core header.
std::string colourTable(const std::vector<std::uint32_t>& rgb, bool coreEntries = false);

// A "BM" file: the 14-byte file header, then headerAndTable, gap bytes, and the pixels at the offset the header names.
std::string bmFile(const std::string& headerAndTable, const std::string& pixels, std::size_t gap = 0);

}  // namespace bitmap_builder
