// OpenEXR header check: recognises the format and reads the data window's size before FreeImage decodes the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The longest attribute or type name, without and with the long-names flag.
constexpr std::size_t kMaxExrName = 31;
constexpr std::size_t kMaxExrLongName = 255;
// Real headers carry a few dozen attributes. The OpenEXR library keeps every
// one of them, so a header of millions would take memory before any pixel.
constexpr int kMaxExrAttributes = 1024;

// True when the bytes start with the OpenEXR magic number.
bool isOpenExr(const unsigned char* bytes, std::size_t size);

// Reads the first header: the magic number, version 2 with known flags (deep
// data refused), every attribute up to the header's end, and the
// "dataWindow" among them. Empty when the header is sound and announces at
// most maxPixels pixels; otherwise why the file is refused ("truncated: ...",
// "too large: W x H pixels ...", "not a valid OpenEXR file (...)", ...).
std::string checkExrHeader(const unsigned char* bytes, std::size_t size, std::uint64_t maxPixels);
