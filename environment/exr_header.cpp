// OpenEXR header check: magic, version, then name / type / size / value attributes up to the data window.
#include "environment/exr_header.h"

#include <cstring>
#include <string_view>

namespace {

constexpr unsigned char kMagic[4] = {0x76, 0x2f, 0x31, 0x01};
constexpr std::size_t kPreambleBytes = 8;  // magic and version
constexpr std::size_t kBox2iBytes = 16;
// Version field bit of files with several parts, each with a header of its own.
constexpr std::int32_t kMultiPartFlag = 0x1000;
// A channel list entry after its name: pixel type, linear flag, three reserved bytes, x and y sampling.
constexpr std::size_t kChannelFieldsBytes = 16;

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

// True when the channel list names exactly R, G and B: FreeImage then decodes three floats per pixel.
bool onlyRgbChannels(std::string_view list) {
    std::string names;
    std::size_t position = 0;
    std::string_view name;
    while (readString(list, position, name) && !name.empty() && list.size() - position >= kChannelFieldsBytes) {
        names += std::string(name) + " ";
        position += kChannelFieldsBytes;
    }
    // OpenEXR keeps the list sorted by name.
    return names == "B G R ";
}

ExrHeaderCheck refuse(const std::string& problem, bool truncated = false) {
    ExrHeaderCheck check;
    check.problem = problem;
    check.truncated = truncated;
    return check;
}

}  // namespace

bool isOpenExr(const unsigned char* bytes, std::size_t size) {
    return bytes != nullptr && size >= sizeof kMagic && std::memcmp(bytes, kMagic, sizeof kMagic) == 0;
}

ExrHeaderCheck checkExrHeader(const unsigned char* bytes, std::size_t size, std::uint64_t maxPixels) {
    const ExrHeaderCheck truncated = refuse("truncated: the file ends inside its OpenEXR header", true);
    if (!isOpenExr(bytes, size) || size < kPreambleBytes) {
        return truncated;
    }
    const std::string_view text(reinterpret_cast<const char*>(bytes), size);
    const bool multiPart = (readInt32(bytes + sizeof kMagic) & kMultiPartFlag) != 0;
    std::size_t position = kPreambleBytes;
    bool dataWindowFound = false;
    bool rgbOnly = false;
    std::int64_t width = 0;
    std::int64_t height = 0;
    // Every header must end inside the file: FreeImage's reader can loop for
    // ever on a header cut short, even after its data window.
    for (int header = 0;; ++header) {
        bool headerEmpty = true;
        for (;;) {
            std::string_view name;
            std::string_view type;
            if (!readString(text, position, name)) {
                return truncated;
            }
            if (name.empty()) {
                break;
            }
            headerEmpty = false;
            if (!readString(text, position, type) || size - position < 4) {
                return truncated;
            }
            const std::int32_t length = readInt32(bytes + position);
            position += 4;
            if (length < 0 || static_cast<std::size_t>(length) > size - position) {
                return truncated;
            }
            if (header == 0 && name == "channels" && type == "chlist") {
                rgbOnly = onlyRgbChannels(text.substr(position, static_cast<std::size_t>(length)));
            }
            if (header == 0 && name == "dataWindow" && type == "box2i" &&
                length == static_cast<std::int32_t>(kBox2iBytes)) {
                dataWindowFound = true;
                width = std::int64_t{readInt32(bytes + position + 8)} - readInt32(bytes + position) + 1;
                height = std::int64_t{readInt32(bytes + position + 12)} - readInt32(bytes + position + 4) + 1;
            }
            position += static_cast<std::size_t>(length);
        }
        // A single-part file has one header; a multi-part file ends its list with an empty one.
        if (!multiPart || (header > 0 && headerEmpty)) {
            break;
        }
    }
    if (!dataWindowFound) {
        return refuse("not a valid OpenEXR file (its header has no data window)");
    }
    if (width < 1 || height < 1) {
        return refuse("not a valid OpenEXR file (an empty data window)");
    }
    if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > maxPixels) {
        return refuse("too large: " + std::to_string(width) + " x " + std::to_string(height) +
                      " pixels (the limit is " + std::to_string(maxPixels) + " pixels)");
    }
    ExrHeaderCheck check;
    check.width = static_cast<std::uint64_t>(width);
    check.height = static_cast<std::uint64_t>(height);
    check.rgbOnly = rgbOnly;
    return check;
}
