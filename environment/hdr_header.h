// Radiance HDR header check: the picture size a map announces, read before FreeImage sees the file.
#pragma once

#include <cstddef>
#include <cstdint>

// Largest picture side and pixel count a map may announce (a 8192 x 8192 map
// already needs 768 MB as RGB floats).
constexpr int kMaxHdrSide = 32767;
constexpr std::uint64_t kMaxHdrPixels = std::uint64_t{1} << 26;
// The header and its size line must end within this many bytes, each line
// within kMaxHdrHeaderLine.
constexpr std::size_t kMaxHdrHeaderBytes = 64 * 1024;
constexpr std::size_t kMaxHdrHeaderLine = 128;

// True when bytes .. bytes + size begin with a Radiance header ("#?" line,
// lines up to an empty one) followed by a size line "-Y height +X width" of
// plain decimal sides from 1 to kMaxHdrSide and at most maxPixels pixels.
// FreeImage's reader trusts the size line: an absurd or overflowing size
// makes it read far outside its picture, so such files never reach it.
bool hdrHeaderAcceptable(const unsigned char* bytes, std::size_t size, std::uint64_t maxPixels = kMaxHdrPixels);
