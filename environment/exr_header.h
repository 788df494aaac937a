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

// What the header check found.
struct ExrHeaderCheck {
    // Empty when every header is sound and ends inside the bytes and the
    // picture announced has at most maxPixels pixels; otherwise why the file
    // is refused ("truncated: ...", "too large: W x H pixels ...", "not a
    // valid OpenEXR file (...)", ...).
    std::string problem;
    bool truncated = false;  // the bytes end inside the header: more of the file may settle it
    std::uint64_t width = 0;
    std::uint64_t height = 0;
    // The channels FreeImage decodes into: three floats per pixel for R, G and
    // B alone, four with alpha (or anything else it must convert afterwards).
    // Taken from the "channels" attribute; without it the larger layout is assumed.
    bool rgbOnly = false;
};

// Reads the headers: the magic number, version 2 with known flags (deep data
// refused), every attribute of every part up to the end of the headers (a
// multi-part file ends its list with an empty header), and the first part's
// "channels" and "dataWindow".
ExrHeaderCheck checkExrHeader(const unsigned char* bytes, std::size_t size, std::uint64_t maxPixels);
