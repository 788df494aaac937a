// Model container: the outer layer of a glTF file (the binary header and chunks, or JSON text), checked before parsing.
#include "model/model_container.h"

#include <algorithm>
#include <string>

#include "model/model_source.h"

namespace {

constexpr std::uint32_t kBinaryMagic = 0x46546C67;  // "glTF"
constexpr std::uint32_t kBinaryVersion = 2;
constexpr std::uint32_t kJsonChunk = 0x4E4F534A;  // "JSON"
constexpr std::uint32_t kBinChunk = 0x004E4942;   // "BIN\0"
constexpr std::uint64_t kHeaderBytes = 12;
constexpr std::uint64_t kChunkHeaderBytes = 8;
constexpr std::size_t kMagicBytes = 4;
// A UTF-8 byte order mark, which a JSON file may start with.
constexpr unsigned char kByteOrderMark[] = {0xEF, 0xBB, 0xBF};

std::uint32_t littleEndian32(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

std::string chunkName(std::uint32_t type) {
    std::string name;
    for (int shift = 0; shift < 32; shift += 8) {
        const char c = static_cast<char>(type >> shift);
        name += (c >= ' ' && c <= '~') ? c : '?';
    }
    return name;
}

// The chunk lengths must fit in the header's length, and the header's length
// in the file; the parser itself only half checks the second chunk.
void checkBinary(const std::uint8_t* bytes, std::size_t size, ContainerShape& shape, std::uint64_t& jsonOffset,
                 std::uint64_t& jsonLength) {
    if (size < kHeaderBytes) {
        refuseModel("truncated: " + std::to_string(size) + " bytes, shorter than the binary glTF header");
    }
    const std::uint32_t version = littleEndian32(bytes + 4);
    const std::uint64_t length = littleEndian32(bytes + 8);
    if (version != kBinaryVersion) {
        refuseModel("binary glTF version " + std::to_string(version) + "; only version 2 is read");
    }
    if (length > size) {
        refuseModel("truncated: the header gives a length of " + std::to_string(length) + " bytes, the file has " +
                    std::to_string(size));
    }
    if (length < kHeaderBytes + kChunkHeaderBytes) refuseModel("truncated: the binary glTF file has no JSON chunk");
    jsonLength = littleEndian32(bytes + kHeaderBytes);
    const std::uint32_t jsonType = littleEndian32(bytes + kHeaderBytes + 4);
    if (jsonType != kJsonChunk) refuseModel("the first chunk is \"" + chunkName(jsonType) + "\", not JSON");
    jsonOffset = kHeaderBytes + kChunkHeaderBytes;
    if (jsonLength > length - jsonOffset) {
        refuseModel("truncated: the JSON chunk of " + std::to_string(jsonLength) + " bytes runs past the end at " +
                    std::to_string(length));
    }
    const std::uint64_t binOffset = jsonOffset + jsonLength;
    if (binOffset < length) {
        if (length - binOffset < kChunkHeaderBytes) refuseModel("truncated: the second chunk's header is cut off");
        const std::uint64_t binLength = littleEndian32(bytes + binOffset);
        const std::uint32_t binType = littleEndian32(bytes + binOffset + 4);
        if (binType != kBinChunk) refuseModel("the second chunk is \"" + chunkName(binType) + "\", not BIN");
        if (binLength > length - binOffset - kChunkHeaderBytes) {
            refuseModel("truncated: the BIN chunk of " + std::to_string(binLength) + " bytes runs past the end at " +
                        std::to_string(length));
        }
    }
    shape.usedSize = static_cast<std::size_t>(length);
}

// Measures the JSON (objects, bytes in and outside strings) and refuses it
// when arrays and objects nest deeper than the limit.
void measureJson(const std::uint8_t* text, std::size_t size, ContainerShape& shape) {
    int depth = 0;
    bool inString = false;
    std::uint64_t stringBytes = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const char c = static_cast<char>(text[i]);
        if (inString) {
            ++stringBytes;
            if (c == '\\') {
                ++i;
                ++stringBytes;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > kMaxJsonDepth) {
                refuseModel("its JSON nests deeper than " + std::to_string(kMaxJsonDepth) + " levels");
            }
            if (c == '{') ++shape.jsonObjects;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    shape.jsonStringBytes = stringBytes;
    shape.jsonStructureBytes = size - std::min<std::uint64_t>(stringBytes, size);
}

}  // namespace

ContainerShape checkModelContainer(const std::uint8_t* bytes, std::size_t size) {
    ContainerShape shape;
    if (size >= kMagicBytes && littleEndian32(bytes) == kBinaryMagic) {
        shape.kind = ModelContainer::Binary;
        std::uint64_t jsonOffset = 0;
        std::uint64_t jsonLength = 0;
        checkBinary(bytes, size, shape, jsonOffset, jsonLength);
        measureJson(bytes + jsonOffset, static_cast<std::size_t>(jsonLength), shape);
        return shape;
    }
    std::size_t start = 0;
    if (size >= sizeof kByteOrderMark && bytes[0] == kByteOrderMark[0] && bytes[1] == kByteOrderMark[1] &&
        bytes[2] == kByteOrderMark[2]) {
        start = sizeof kByteOrderMark;
    }
    while (start < size &&
           (bytes[start] == ' ' || bytes[start] == '\t' || bytes[start] == '\n' || bytes[start] == '\r')) {
        ++start;
    }
    if (start == size || bytes[start] != '{') refuseModel("not a glTF file (neither binary glTF nor a JSON object)");
    measureJson(bytes, size, shape);
    shape.usedSize = size;
    return shape;
}
