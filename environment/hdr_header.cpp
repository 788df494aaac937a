// Radiance HDR header check: line by line up to the size line, which must be exactly "-Y <height> +X <width>".
#include "environment/hdr_header.h"

#include <string_view>

namespace {

constexpr std::string_view kMagic = "#?";
constexpr std::string_view kHeightLabel = "-Y ";
constexpr std::string_view kWidthLabel = " +X ";
constexpr int kDecimalBase = 10;

// Reads the line starting at position (without its line feed) and moves
// position past the feed; false when no complete, short, zero-free line is left.
bool nextLine(std::string_view text, std::size_t& position, std::string_view& line) {
    const std::size_t end = text.find('\n', position);
    if (end == std::string_view::npos || end - position > kMaxHdrHeaderLine) {
        return false;
    }
    line = text.substr(position, end - position);
    position = end + 1;
    return line.find('\0') == std::string_view::npos;
}

// A side: decimal digits only, no sign or leading zero, from 1 to kMaxHdrSide.
bool readSide(std::string_view& text, int& side) {
    std::size_t digits = 0;
    side = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
        if (digits == 0 && text[digits] == '0') {
            return false;
        }
        side = side * kDecimalBase + (text[digits] - '0');
        ++digits;
        if (side > kMaxHdrSide) {
            return false;
        }
    }
    text.remove_prefix(digits);
    return digits > 0;
}

bool consume(std::string_view& text, std::string_view expected) {
    if (text.substr(0, expected.size()) != expected) {
        return false;
    }
    text.remove_prefix(expected.size());
    return true;
}

}  // namespace

bool hdrHeaderAcceptable(const unsigned char* bytes, std::size_t size, std::uint64_t maxPixels) {
    if (bytes == nullptr) {
        return false;
    }
    const std::string_view text(reinterpret_cast<const char*>(bytes), size < kMaxHdrHeaderBytes ? size : kMaxHdrHeaderBytes);
    std::size_t position = 0;
    std::string_view line;
    if (!nextLine(text, position, line) || line.substr(0, kMagic.size()) != kMagic) {
        return false;
    }
    do {
        if (!nextLine(text, position, line)) {
            return false;
        }
    } while (!line.empty());
    if (!nextLine(text, position, line)) {
        return false;
    }
    int height = 0;
    int width = 0;
    if (!consume(line, kHeightLabel) || !readSide(line, height) || !consume(line, kWidthLabel) ||
        !readSide(line, width) || !line.empty()) {
        return false;
    }
    return static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) <= maxPixels;
}
