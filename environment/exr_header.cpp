// OpenEXR header check: magic, version and flags, then name / type / size / value attributes to the header's end.
#include "environment/exr_header.h"

#include <cstdio>
#include <cstring>
#include <string_view>

namespace {

constexpr unsigned char kMagic[4] = {0x76, 0x2f, 0x31, 0x01};
constexpr std::size_t kVersionBytes = 4;
constexpr std::size_t kPreambleBytes = sizeof kMagic + kVersionBytes;
constexpr std::size_t kSizeBytes = 4;
constexpr std::size_t kBox2iBytes = 16;
// A channel list entry after its name: pixel type, linear flag, three reserved bytes, x and y sampling.
constexpr std::size_t kChannelFieldsBytes = 16;

// The version field: the format's version in the low byte, flags above it.
constexpr std::uint32_t kVersionMask = 0xFF;
constexpr std::uint32_t kSupportedVersion = 2;
constexpr std::uint32_t kTiledFlag = 0x200;
constexpr std::uint32_t kLongNamesFlag = 0x400;
constexpr std::uint32_t kDeepDataFlag = 0x800;
constexpr std::uint32_t kMultipartFlag = 0x1000;
constexpr std::uint32_t kKnownFlags = kTiledFlag | kLongNamesFlag | kDeepDataFlag | kMultipartFlag;

const char* const kTruncated = "truncated: the file ends inside its OpenEXR header";

std::uint32_t readUint32(const unsigned char* bytes) {
    // OpenEXR stores little-endian integers.
    return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
           (static_cast<std::uint32_t>(bytes[2]) << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
}

std::int32_t readInt32(const unsigned char* bytes) {
    const std::uint32_t value = readUint32(bytes);
    std::int32_t result = 0;
    std::memcpy(&result, &value, sizeof result);
    return result;
}

std::string invalid(const std::string& why) { return "not a valid OpenEXR file (" + why + ")"; }

enum class NameRead { Read, Truncated, TooLong };

// A zero-terminated name of at most maxLength bytes at position.
NameRead readName(std::string_view text, std::size_t& position, std::size_t maxLength, std::string_view& name) {
    // Looks no further than the longest name: an endless one is refused early.
    const std::string_view rest = text.substr(position, maxLength + 1);
    const std::size_t end = rest.find('\0');
    if (end == std::string_view::npos) {
        return rest.size() > maxLength ? NameRead::TooLong : NameRead::Truncated;
    }
    name = rest.substr(0, end);
    position += end + 1;
    return NameRead::Read;
}

ExrHeaderCheck refuse(const std::string& problem);

// The size of a box2i value (xMin, yMin, xMax, yMax), refused unless it fits the limit.
ExrHeaderCheck checkDataWindow(const unsigned char* box, std::uint64_t maxPixels) {
    const std::int64_t width = std::int64_t{readInt32(box + 8)} - readInt32(box) + 1;
    const std::int64_t height = std::int64_t{readInt32(box + 12)} - readInt32(box + 4) + 1;
    if (width < 1 || height < 1) {
        return refuse(invalid("an empty data window"));
    }
    // Each side alone first: the product of two sides of up to 2^32 would overflow.
    const auto w = static_cast<std::uint64_t>(width);
    const auto h = static_cast<std::uint64_t>(height);
    if (w > maxPixels || h > maxPixels || w * h > maxPixels) {
        return refuse("too large: " + std::to_string(width) + " x " + std::to_string(height) +
                      " pixels (the limit is " + std::to_string(maxPixels) + " pixels)");
    }
    ExrHeaderCheck check;
    check.width = w;
    check.height = h;
    return check;
}

// The library reads a value of these types by its type, whatever size the
// file gives it: a size that differs would leave it reading the rest of the
// header from another place than this check does (and, say, take the bytes
// of a picture for a gigabyte-long attribute).
struct FixedSizeType {
    std::string_view type;
    std::size_t bytes;
};
constexpr FixedSizeType kFixedSizeTypes[] = {{"box2i", 16},      {"box2f", 16},   {"chromaticities", 32},
                                             {"compression", 1}, {"double", 8},   {"envmap", 1},
                                             {"float", 4},       {"int", 4},      {"keycode", 28},
                                             {"lineOrder", 1},   {"m33f", 36},    {"m33d", 72},
                                             {"m44f", 64},       {"m44d", 128},   {"rational", 8},
                                             {"tiledesc", 9},    {"timecode", 8}, {"v2i", 8},
                                             {"v2f", 8},         {"v2d", 16},     {"v3i", 12},
                                             {"v3f", 12},        {"v3d", 24},     {"deepImageState", 1}};
// A preview: its width and height, then four bytes per pixel.
constexpr std::size_t kPreviewSizeBytes = 8;
constexpr std::uint64_t kPreviewPixelBytes = 4;

// True when a channel list's entries (a name, then its fields) and its
// closing empty name fill its value exactly, as the library reads it.
bool channelListFillsItsValue(std::string_view list, std::size_t maxName) {
    std::size_t position = 0;
    for (;;) {
        std::string_view name;
        if (readName(list, position, maxName, name) != NameRead::Read) {
            return false;
        }
        if (name.empty()) {
            return position == list.size();
        }
        if (list.size() - position < kChannelFieldsBytes) {
            return false;
        }
        position += kChannelFieldsBytes;
    }
}

// Empty when a value's size is the one the library reads for its type.
std::string valueSizeProblem(std::string_view name, std::string_view type, std::string_view value,
                             std::size_t maxName) {
    const auto wrong = [&] {
        return invalid("its attribute \"" + std::string(name) + "\" has a " + std::string(type) + " of " +
                       std::to_string(value.size()) + " bytes");
    };
    for (const FixedSizeType& fixed : kFixedSizeTypes) {
        if (type == fixed.type) {
            return value.size() == fixed.bytes ? std::string() : wrong();
        }
    }
    if (type == "chlist" && !channelListFillsItsValue(value, maxName)) {
        return wrong();
    }
    if (type == "preview") {
        if (value.size() < kPreviewSizeBytes) {
            return wrong();
        }
        const auto* bytes = reinterpret_cast<const unsigned char*>(value.data());
        const std::uint64_t pixels = std::uint64_t{readUint32(bytes)} * readUint32(bytes + 4);
        if (pixels * kPreviewPixelBytes != value.size() - kPreviewSizeBytes) {
            return wrong();
        }
    }
    return std::string();
}

// True when the channel list names exactly R, G and B: FreeImage then decodes three floats per pixel.
bool onlyRgbChannels(std::string_view list, std::size_t maxName) {
    std::string names;
    std::size_t position = 0;
    std::string_view name;
    while (readName(list, position, maxName, name) == NameRead::Read && !name.empty() &&
           list.size() - position >= kChannelFieldsBytes) {
        names += std::string(name) + " ";
        position += kChannelFieldsBytes;
    }
    // OpenEXR keeps the list sorted by name.
    return names == "B G R ";
}

ExrHeaderCheck refuse(const std::string& problem) {
    ExrHeaderCheck check;
    check.problem = problem;
    check.truncated = problem == kTruncated;
    return check;
}

}  // namespace

bool isOpenExr(const unsigned char* bytes, std::size_t size) {
    return bytes != nullptr && size >= sizeof kMagic && std::memcmp(bytes, kMagic, sizeof kMagic) == 0;
}

ExrHeaderCheck checkExrHeader(const unsigned char* bytes, std::size_t size, std::uint64_t maxPixels) {
    if (!isOpenExr(bytes, size)) {
        const bool magicBegun = bytes != nullptr && size < sizeof kMagic && std::memcmp(bytes, kMagic, size) == 0;
        return refuse(magicBegun ? kTruncated : "not an OpenEXR file");
    }
    if (size < kPreambleBytes) {
        return refuse(kTruncated);
    }
    const std::uint32_t version = readUint32(bytes + sizeof kMagic);
    if ((version & kVersionMask) != kSupportedVersion) {
        return refuse("OpenEXR version " + std::to_string(version & kVersionMask) + " is not supported");
    }
    const std::uint32_t flags = version & ~kVersionMask;
    if ((flags & ~kKnownFlags) != 0) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%x", static_cast<unsigned>(flags & ~kKnownFlags));
        return refuse(invalid(std::string("unknown version flags ") + hex));
    }
    if ((flags & kDeepDataFlag) != 0) {
        return refuse("deep OpenEXR data is not supported");
    }
    const std::size_t maxName = (flags & kLongNamesFlag) != 0 ? kMaxExrLongName : kMaxExrName;
    const bool multipart = (flags & kMultipartFlag) != 0;

    const std::string_view text(reinterpret_cast<const char*>(bytes), size);
    std::size_t position = kPreambleBytes;
    ExrHeaderCheck found = refuse(invalid("its header has no data window"));
    int attributes = 0;
    // Every header must end inside the file: FreeImage's reader can loop for
    // ever on a header cut short, even after its data window.
    for (int header = 0;; ++header) {
        bool headerEmpty = true;
        for (;;) {
            std::string_view name;
            std::string_view type;
            NameRead read = readName(text, position, maxName, name);
            if (read == NameRead::Read && name.empty()) {
                break;  // the header's end
            }
            if (attributes++ == kMaxExrAttributes) {
                return refuse(invalid("more than " + std::to_string(kMaxExrAttributes) + " attributes in its header"));
            }
            headerEmpty = false;
            if (read == NameRead::Read) {
                read = readName(text, position, maxName, type);
            }
            if (read == NameRead::TooLong) {
                return refuse(invalid("an attribute or type name longer than " + std::to_string(maxName) + " bytes"));
            }
            if (read == NameRead::Truncated || size - position < kSizeBytes) {
                return refuse(kTruncated);
            }
            const std::int32_t length = readInt32(bytes + position);
            position += kSizeBytes;
            if (length < 0) {
                return refuse(invalid("an attribute of negative size"));
            }
            if (static_cast<std::size_t>(length) > size - position) {
                return refuse(kTruncated);
            }
            const std::string_view value = text.substr(position, static_cast<std::size_t>(length));
            const std::string sizeProblem = valueSizeProblem(name, type, value, maxName);
            if (!sizeProblem.empty()) {
                return refuse(sizeProblem);
            }
            if (header == 0 && name == "channels" && type == "chlist") {
                found.rgbOnly = onlyRgbChannels(value, maxName);
            }
            if (header == 0 && name == "dataWindow") {
                if (type != "box2i" || value.size() != kBox2iBytes) {
                    return refuse(invalid("its data window is not a box2i"));
                }
                const bool rgbOnly = found.rgbOnly;
                found = checkDataWindow(bytes + position, maxPixels);
                found.rgbOnly = rgbOnly;
            }
            position += value.size();
        }
        // A single-part file has one header; a multi-part file ends its list with an empty one.
        if (!multipart || (header > 0 && headerEmpty)) {
            break;
        }
    }
    return found;
}
