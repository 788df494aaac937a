// OpenEXR header check: recognises the format and reads the data window's size before FreeImage decodes the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// True when the bytes start with the OpenEXR magic number.
bool isOpenExr(const unsigned char* bytes, std::size_t size);

struct ExrHeaderCheck {
    // Empty when every header ends inside the bytes and the picture announced
    // has at most maxPixels pixels; otherwise why it is refused ("too large:
    // W x H pixels ...", "truncated: ...", no data window).
    std::string problem;
    bool truncated = false;  // the bytes end inside the header: more of the file may settle it
    std::uint64_t width = 0;
    std::uint64_t height = 0;
    // The channels FreeImage decodes into: three floats per pixel for R, G and
    // B alone, four with alpha (or anything else it must convert afterwards).
    // Taken from the "channels" attribute; without it the larger layout is assumed.
    bool rgbOnly = false;
};

// Walks the headers to their end and reads the first one's "channels" and "dataWindow" attributes.
ExrHeaderCheck checkExrHeader(const unsigned char* bytes, std::size_t size, std::uint64_t maxPixels);
