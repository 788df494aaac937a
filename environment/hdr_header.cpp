// Radiance HDR header check: line by line up to the size line, which must be "-Y <height> +X <width>".
#include "environment/hdr_header.h"

#include <limits>
#include <string_view>

namespace {

constexpr std::string_view kMagic = "#?";
constexpr int kDecimalBase = 10;
// More digits than this make a side far beyond any limit: it reads as kAbsurdSide.
constexpr std::size_t kMaxSideDigits = 12;
constexpr std::uint64_t kAbsurdSide = std::numeric_limits<std::uint64_t>::max();
constexpr std::size_t kQuotedSizeLine = 40;

enum class LineResult { Complete, Truncated, TooLong, HasZero };

// Reads the line starting at position (without its line feed) and moves
// position past the feed.
LineResult nextLine(std::string_view text, std::size_t& position, std::string_view& line) {
    const std::size_t end = text.find('\n', position);
    if (end == std::string_view::npos) {
        return text.size() - position > kMaxHdrHeaderLine ? LineResult::TooLong : LineResult::Truncated;
    }
    if (end - position > kMaxHdrHeaderLine) {
        return LineResult::TooLong;
    }
    line = text.substr(position, end - position);
    position = end + 1;
    return line.find('\0') == std::string_view::npos ? LineResult::Complete : LineResult::HasZero;
}

// An axis of the size line: sign, letter, blank, decimal digits without sign
// or leading zero. Saturates instead of overflowing.
bool readAxis(std::string_view& text, char& sign, char& axis, std::uint64_t& side) {
    if (text.size() < 4 || (text[0] != '-' && text[0] != '+') || (text[1] != 'X' && text[1] != 'Y') || text[2] != ' ') {
        return false;
    }
    sign = text[0];
    axis = text[1];
    text.remove_prefix(3);
    std::size_t digits = 0;
    side = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
        if (digits == 0 && text[digits] == '0') {
            return false;
        }
        side = digits < kMaxSideDigits ? side * kDecimalBase + static_cast<std::uint64_t>(text[digits] - '0')
                                       : kAbsurdSide;
        ++digits;
    }
    text.remove_prefix(digits);
    return digits > 0;
}

HdrHeaderCheck refuse(HdrHeaderStatus status, std::string cause) {
    HdrHeaderCheck check;
    check.status = status;
    check.cause = std::move(cause);
    return check;
}

HdrHeaderCheck lineProblem(LineResult result) {
    switch (result) {
        case LineResult::TooLong:
            return refuse(HdrHeaderStatus::LineTooLong, "a header line is longer than " +
                                                            std::to_string(kMaxHdrHeaderLine) +
                                                            " bytes, which the Radiance HDR reader does not support");
        case LineResult::HasZero:
            return refuse(HdrHeaderStatus::NotRadiance, "not a Radiance HDR file (a zero byte in its header)");
        default:
            return refuse(HdrHeaderStatus::Truncated, "truncated: the file ends inside its header");
    }
}

std::string quoted(std::string_view line) {
    return "\"" + std::string(line.substr(0, kQuotedSizeLine)) + (line.size() > kQuotedSizeLine ? "...\"" : "\"");
}

HdrHeaderCheck checkSizeLine(std::string_view line, std::uint64_t maxPixels) {
    const std::string_view original = line;
    // FreeImage reads the size line with its numbers; a CR before the feed does not disturb it.
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    char sign1 = 0, axis1 = 0, sign2 = 0, axis2 = 0;
    std::uint64_t side1 = 0, side2 = 0;
    if (!readAxis(line, sign1, axis1, side1) || line.empty() || line[0] != ' ') {
        return refuse(HdrHeaderStatus::MalformedSize, "malformed picture size line " + quoted(original));
    }
    line.remove_prefix(1);
    if (!readAxis(line, sign2, axis2, side2) || !line.empty() || axis1 == axis2) {
        return refuse(HdrHeaderStatus::MalformedSize, "malformed picture size line " + quoted(original));
    }
    if (sign1 != '-' || axis1 != 'Y' || sign2 != '+' || axis2 != 'X') {
        std::string orientation{sign1, axis1, ' ', sign2, axis2};
        return refuse(HdrHeaderStatus::UnsupportedOrientation,
                      "picture orientation \"" + orientation +
                          "\" is not supported (the Radiance HDR reader takes only \"-Y +X\", rows from the top)");
    }
    HdrHeaderCheck check;
    const bool sideTooLarge =
        side1 > static_cast<std::uint64_t>(kMaxHdrSide) || side2 > static_cast<std::uint64_t>(kMaxHdrSide);
    if (sideTooLarge || side1 * side2 > maxPixels) {
        check.status = HdrHeaderStatus::TooLarge;
        const std::string size = side1 == kAbsurdSide || side2 == kAbsurdSide
                                     ? std::string("an absurd size")
                                     : std::to_string(side2) + " x " + std::to_string(side1) + " pixels";
        check.cause = "too large: " + size + " (the limit is " + std::to_string(maxPixels) + " pixels and " +
                      std::to_string(kMaxHdrSide) + " per side)";
        return check;
    }
    check.status = HdrHeaderStatus::Acceptable;
    check.width = side2;
    check.height = side1;
    return check;
}

}  // namespace

HdrHeaderCheck checkHdrHeader(const unsigned char* bytes, std::size_t size, std::uint64_t maxPixels) {
    if (bytes == nullptr || size == 0) {
        return refuse(HdrHeaderStatus::NotRadiance, "not a Radiance HDR file (it is empty)");
    }
    const std::string_view text(reinterpret_cast<const char*>(bytes),
                                size < kMaxHdrHeaderBytes ? size : kMaxHdrHeaderBytes);
    if (text.substr(0, kMagic.size()) != kMagic) {
        return refuse(HdrHeaderStatus::NotRadiance, "not a Radiance HDR file (it does not start with \"#?\")");
    }
    std::size_t position = 0;
    std::string_view line;
    do {
        const LineResult result = nextLine(text, position, line);
        if (result == LineResult::Truncated && size > kMaxHdrHeaderBytes) {
            return refuse(HdrHeaderStatus::MalformedSize,
                          "its header goes on for more than " + std::to_string(kMaxHdrHeaderBytes) + " bytes");
        }
        if (result != LineResult::Complete) {
            return lineProblem(result);
        }
        if (!line.empty() && line.back() == '\r') {
            return refuse(HdrHeaderStatus::WindowsLineEnds,
                          "its header lines end in CR LF (Windows line ends), which the Radiance HDR reader "
                          "does not support");
        }
    } while (!line.empty());
    const LineResult result = nextLine(text, position, line);
    if (result != LineResult::Complete) {
        return lineProblem(result);
    }
    return checkSizeLine(line, maxPixels);
}
