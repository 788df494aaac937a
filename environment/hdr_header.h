// Radiance HDR header check: the picture size a map announces, read before FreeImage sees the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Largest picture side and pixel count a map may announce. 2^29 pixels are a
// 32768 x 16384 map, 6 GB as RGB floats while it is decoded.
constexpr int kMaxHdrSide = 65535;
constexpr std::uint64_t kMaxHdrPixels = std::uint64_t{1} << 29;
// The header and its size line must end within this many bytes, each line
// within kMaxHdrHeaderLine: FreeImage's reader fails on longer lines.
constexpr std::size_t kMaxHdrHeaderBytes = 64 * 1024;
constexpr std::size_t kMaxHdrHeaderLine = 255;

enum class HdrHeaderStatus {
    Acceptable,
    NotRadiance,             // no "#?" first line
    Truncated,               // the file ends before the size line does
    LineTooLong,             // a header line longer than kMaxHdrHeaderLine
    WindowsLineEnds,         // header lines ending in CR LF
    UnsupportedOrientation,  // a size line other than "-Y height +X width"
    MalformedSize,           // a size line that is no valid size at all
    TooLarge,                // a side or the pixel count beyond the limits
};

struct HdrHeaderCheck {
    HdrHeaderStatus status = HdrHeaderStatus::NotRadiance;
    std::string cause;        // for the user: what is wrong, empty when acceptable
    std::uint64_t width = 0;  // the picture's size, when acceptable
    std::uint64_t height = 0;
};

// Checks that bytes .. bytes + size begin with a Radiance header ("#?" line,
// lines up to an empty one, all ending in a line feed) followed by a size line
// "-Y height +X width" (line feed or CR LF) of plain decimal sides from 1 to
// kMaxHdrSide and at most maxPixels pixels. These are the headers FreeImage's
// reader decodes correctly; it trusts the size line, and an absurd or
// overflowing size makes it read far outside its picture, so such files never
// reach it.
HdrHeaderCheck checkHdrHeader(const unsigned char* bytes, std::size_t size, std::uint64_t maxPixels = kMaxHdrPixels);
