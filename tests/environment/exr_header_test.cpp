// OpenEXR header check: a sound header passes, and every damaged or oversized one is refused with its cause.
#include <gtest/gtest.h>

#include <FreeImage.h>

#include <cstdint>
#include <limits>
#include <string>

#include "environment/exr_header.h"

namespace {

constexpr std::uint64_t kLimit = 64 * 32;
const std::string kTruncated = "truncated: the file ends inside its OpenEXR header";

std::string int32Bytes(std::int64_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    return {char(bits), char(bits >> 8), char(bits >> 16), char(bits >> 24)};
}

std::string attribute(const std::string& name, const std::string& type, const std::string& value) {
    return name + '\0' + type + '\0' + int32Bytes(std::int64_t(value.size())) + value;
}

std::string box2i(std::int64_t xMin, std::int64_t yMin, std::int64_t xMax, std::int64_t yMax) {
    return int32Bytes(xMin) + int32Bytes(yMin) + int32Bytes(xMax) + int32Bytes(yMax);
}

// The attributes every scanline file carries, in the order the library writes them.
std::string attributes(const std::string& dataWindow = attribute("dataWindow", "box2i", box2i(0, 0, 63, 31))) {
    return attribute("channels", "chlist", std::string("B\0\1\0\0\0\0\0\0\0\1\0\0\0\1\0\0\0\0", 19)) +
           attribute("compression", "compression", std::string(1, '\0')) + dataWindow +
           attribute("displayWindow", "box2i", box2i(0, 0, 63, 31)) +
           attribute("lineOrder", "lineOrder", std::string(1, '\0')) +
           attribute("pixelAspectRatio", "float", int32Bytes(0x3f800000));
}

std::string header(const std::string& body = attributes(), std::uint32_t version = 2) {
    return "\x76\x2f\x31\x01" + int32Bytes(version) + body + '\0';
}

std::string check(const std::string& file, std::uint64_t maxPixels = kLimit) {
    return checkExrHeader(reinterpret_cast<const unsigned char*>(file.data()), file.size(), maxPixels).problem;
}

TEST(ExrHeader, SoundHeadersPassTheLibrarysOwnAndOursAndEveryShorterPrefixIsTruncated) {
    FIBITMAP* map = FreeImage_AllocateT(FIT_RGBF, 64, 32);
    FIMEMORY* memory = FreeImage_OpenMemory();
    ASSERT_TRUE(FreeImage_SaveToMemory(FIF_EXR, map, memory, EXR_FLOAT));
    BYTE* written = nullptr;
    DWORD writtenSize = 0;
    FreeImage_AcquireMemory(memory, &written, &writtenSize);
    EXPECT_EQ(check(std::string(reinterpret_cast<const char*>(written), writtenSize)), "");
    FreeImage_CloseMemory(memory);
    FreeImage_Unload(map);

    const std::string sound = header();
    EXPECT_EQ(check(sound), "");
    // Cut inside the magic, the version, every name, type, size and value, and before the closing zero.
    for (std::size_t length = 1; length < sound.size(); ++length) {
        EXPECT_EQ(check(sound.substr(0, length)), kTruncated) << "the first " << length << " bytes";
    }
}

TEST(ExrHeader, OnlyTheMagicNumberAndVersionTwoWithKnownFlagsAreRead) {
    std::string wrongMagic = header();
    wrongMagic[3] = '\x02';
    EXPECT_EQ(check(wrongMagic), "not an OpenEXR file");
    EXPECT_EQ(check(header(attributes(), 1)), "OpenEXR version 1 is not supported");
    EXPECT_EQ(check(header(attributes(), 0x102)), "not a valid OpenEXR file (unknown version flags 0x100)");
    EXPECT_EQ(check(header(attributes(), 0x80002002)), "not a valid OpenEXR file (unknown version flags 0x80002000)");
    EXPECT_EQ(check(header(attributes(), 0x802)), "deep OpenEXR data is not supported");
    // A multi-part file ends its list of headers with an empty one.
    EXPECT_EQ(check(header(attributes(), 0x1602) + '\0'), "") << "tiled, long names and multipart are read";
    EXPECT_EQ(check(header(attributes(), 0x1602)), kTruncated) << "the list of headers goes on";
}

TEST(ExrHeader, TheDataWindowMustBeAPresentBoxWithinThePixelLimitWhateverItsCorners) {
    const auto window = [](std::int64_t xMin, std::int64_t yMin, std::int64_t xMax, std::int64_t yMax) {
        return check(header(attributes(attribute("dataWindow", "box2i", box2i(xMin, yMin, xMax, yMax)))));
    };
    EXPECT_EQ(window(-10, -5, 53, 26), "") << "64 x 32 pixels, the limit";
    EXPECT_EQ(window(0, 0, 64, 31), "too large: 65 x 32 pixels (the limit is 2048 pixels)");
    constexpr std::int64_t kLowest = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t kHighest = std::numeric_limits<std::int32_t>::max();
    // 2^32 x 2^32 pixels: a product that wraps to 0 in 64 bits.
    EXPECT_EQ(window(kLowest, kLowest, kHighest, kHighest),
              "too large: 4294967296 x 4294967296 pixels (the limit is 2048 pixels)");
    EXPECT_EQ(window(kLowest, 0, kHighest, 0), "too large: 4294967296 x 1 pixels (the limit is 2048 pixels)");
    EXPECT_EQ(window(5, 0, 4, 31), "not a valid OpenEXR file (an empty data window)");
    EXPECT_EQ(check(header(attributes(attribute("dataWindow", "box2f", box2i(0, 0, 63, 31))))),
              "not a valid OpenEXR file (its data window is not a box2i)");
    EXPECT_EQ(check(header(attributes(""))), "not a valid OpenEXR file (its header has no data window)");
}

TEST(ExrHeader, AttributeListsEndWithinTheirCountAndTheFileAndNamesWithinTheirLength) {
    std::string full = attributes();
    for (int filler = 6; filler < kMaxExrAttributes; ++filler)
        full += attribute("n" + std::to_string(filler), "int", "1234");
    EXPECT_EQ(check(header(full)), "");
    EXPECT_EQ(check(header(full + attribute("one", "int", "1234"))),
              "not a valid OpenEXR file (more than 1024 attributes in its header)");
    std::string endless = header(attributes());
    endless.pop_back();  // no closing zero: attributes up to the end of the file
    while (endless.size() < 4096) endless += attribute("again", "int", "1234");
    EXPECT_EQ(check(endless), kTruncated);
    EXPECT_EQ(check(header(attributes() + std::string("a\0int\0", 6) + int32Bytes(-1))),
              "not a valid OpenEXR file (an attribute of negative size)");
    EXPECT_EQ(check(header(attributes() + attribute("c", "int", "1234") + "x")), kTruncated) << "a name running out";

    const std::string name31(kMaxExrName, 'n'), name255(kMaxExrLongName, 'n');
    EXPECT_EQ(check(header(attributes() + attribute(name31, "int", "1234"))), "");
    EXPECT_EQ(check(header(attributes() + attribute(name31 + "n", "int", "1234"))),
              "not a valid OpenEXR file (an attribute or type name longer than 31 bytes)");
    EXPECT_EQ(check(header(attributes() + attribute("n", name31 + "t", "1234"))),
              "not a valid OpenEXR file (an attribute or type name longer than 31 bytes)");
    EXPECT_EQ(check(header(attributes() + attribute(name255, "int", "1234"), 0x402)), "") << "long names";
    EXPECT_EQ(check(header(attributes() + attribute(name255 + "n", "int", "1234"), 0x402)),
              "not a valid OpenEXR file (an attribute or type name longer than 255 bytes)");
}

TEST(ExrHeader, AValueOfAKnownTypeMustHaveTheSizeTheLibraryReadsForIt) {
    // The library reads such values by their type, whatever size the file gives: any other size would have it
    // read the rest of the header from elsewhere (a fuzzed file made it take picture bytes for a 1 GB attribute).
    EXPECT_EQ(check(header(attributes() + attribute("lineOrder2", "lineOrder", "1234"))),
              "not a valid OpenEXR file (its attribute \"lineOrder2\" has a lineOrder of 4 bytes)");
    EXPECT_EQ(check(header(attributes() + attribute("seen", "v2f", "1234"))),
              "not a valid OpenEXR file (its attribute \"seen\" has a v2f of 4 bytes)");
    const std::string green("G\0\1\0\0\0\0\0\0\0\1\0\0\0\1\0\0\0", 18);
    EXPECT_EQ(check(header(attributes() + attribute("extra", "chlist", green + '\0'))), "") << "one channel, closed";
    EXPECT_EQ(check(header(attributes() + attribute("extra", "chlist", green + green + '\0' + "xyz"))),
              "not a valid OpenEXR file (its attribute \"extra\" has a chlist of 40 bytes)")
        << "entries that end before the value does";
    EXPECT_EQ(check(header(attributes() + attribute("extra", "chlist", green))),
              "not a valid OpenEXR file (its attribute \"extra\" has a chlist of 18 bytes)")
        << "no closing name within the value";
    EXPECT_EQ(check(header(attributes() + attribute("preview", "preview", int32Bytes(2) + int32Bytes(1) + "12345678"))),
              "");
    EXPECT_EQ(check(header(attributes() + attribute("preview", "preview", int32Bytes(65536) + int32Bytes(65536)))),
              "not a valid OpenEXR file (its attribute \"preview\" has a preview of 8 bytes)");
    EXPECT_EQ(check(header(attributes() + attribute("note", "string", "any length"))), "") << "sized by the file";
}

}  // namespace
