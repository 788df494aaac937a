// OpenEXR header check: magic, version, then name / type / size / value attributes up to the data window.
#include "environment/exr_header.h"

#include <cstring>
#include <string_view>

namespace {

constexpr unsigned char kMagic[4] = {0x76, 0x2f, 0x31, 0x01};
constexpr std::size_t kPreambleBytes = 8;  // magic and version
constexpr std::size_t kBox2iBytes = 16;

std::int32_t readInt32(const unsigned char* bytes) {
    // OpenEXR stores little-endian integers.
    const std::uint32_t value = static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
                                (static_cast<std::uint32_t>(bytes[2]) << 16) |
                                (static_cast<std::uint32_t>(bytes[3]) << 24);
    std::int32_t result = 0;
    std::memcpy(&result, &value, sizeof result);
    return result;
}

// A zero-terminated string at position; false when it does not end inside the bytes.
bool readString(std::string_view text, std::size_t& position, std::string_view& value) {
    const std::size_t end = text.find('\0', position);
    if (end == std::string_view::npos) {
        return false;
    }
    value = text.substr(position, end - position);
    position = end + 1;
    return true;
}

}  // namespace

bool isOpenExr(const unsigned char* bytes, std::size_t size) {
    return bytes != nullptr && size >= sizeof kMagic && std::memcmp(bytes, kMagic, sizeof kMagic) == 0;
}

std::string checkExrHeader(const unsigned char* bytes, std::size_t size, std::uint64_t maxPixels) {
    const std::string truncated = "truncated: the file ends inside its OpenEXR header";
    if (!isOpenExr(bytes, size) || size < kPreambleBytes) {
        return truncated;
    }
    const std::string_view text(reinterpret_cast<const char*>(bytes), size);
    std::size_t position = kPreambleBytes;
    for (;;) {
        std::string_view name;
        std::string_view type;
        if (!readString(text, position, name)) {
            return truncated;
        }
        if (name.empty()) {
            return "not a valid OpenEXR file (its header has no data window)";
        }
        if (!readString(text, position, type) || size - position < 4) {
            return truncated;
        }
        const std::int32_t length = readInt32(bytes + position);
        position += 4;
        if (length < 0 || static_cast<std::size_t>(length) > size - position) {
            return truncated;
        }
        if (name == "dataWindow" && type == "box2i" && length == static_cast<std::int32_t>(kBox2iBytes)) {
            const std::int64_t width = std::int64_t{readInt32(bytes + position + 8)} - readInt32(bytes + position) + 1;
            const std::int64_t height =
                std::int64_t{readInt32(bytes + position + 12)} - readInt32(bytes + position + 4) + 1;
            if (width < 1 || height < 1) {
                return "not a valid OpenEXR file (an empty data window)";
            }
            if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > maxPixels) {
                return "too large: " + std::to_string(width) + " x " + std::to_string(height) +
                       " pixels (the limit is " + std::to_string(maxPixels) + " pixels)";
            }
            return std::string();
        }
        position += static_cast<std::size_t>(length);
    }
}
