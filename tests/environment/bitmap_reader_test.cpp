// Bitmap reader: exact RGB bytes for every stored layout, refusals of unknown and truncated files, and their messages.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "environment/bitmap_reader.h"
#include "environment/dib_decoder.h"
#include "support/recording_platform.h"
#include "support/scratch_directory.h"

namespace {

using Bytes = std::vector<unsigned char>;

std::string bytes(std::initializer_list<std::uint32_t> values) { return std::string(values.begin(), values.end()); }
std::string u16(std::uint32_t v) { return bytes({v & 0xFF, (v >> 8) & 0xFF}); }
std::string u32(std::uint32_t v) { return u16(v & 0xFFFF) + u16(v >> 16); }

std::string infoHeader(std::int32_t width, std::int32_t height, int bitCount, int compression = 0,
                       int coloursUsed = 0) {
    return u32(40) + u32(width) + u32(height) + u16(1) + u16(bitCount) + u32(compression) + u32(0) + u32(2835) +
           u32(2835) + u32(coloursUsed) + u32(0);
}

// Entries (blue, green, red[, 0]) from 0xRRGGBB values.
std::string colourTable(const std::vector<std::uint32_t>& colours, bool coreEntries = false) {
    std::string table;
    for (std::uint32_t c : colours) {
        table += bytes({c & 0xFF, (c >> 8) & 0xFF, c >> 16}) + (coreEntries ? "" : std::string(1, '\0'));
    }
    return table;
}

// The 14-byte file header names the pixel offset, past an optional gap.
std::string bmFile(const std::string& headerAndTable, const std::string& pixels, std::size_t gap = 0) {
    const std::uint32_t offset = static_cast<std::uint32_t>(14 + headerAndTable.size() + gap);
    return "BM" + u32(offset + pixels.size()) + u32(0) + u32(offset) + headerAndTable + std::string(gap, 'x') + pixels;
}

Bytes rgb(std::initializer_list<std::uint32_t> pixels) {
    Bytes out;
    for (std::uint32_t p : pixels) {
        out.insert(out.end(), {static_cast<unsigned char>(p >> 16), static_cast<unsigned char>(p >> 8),
                               static_cast<unsigned char>(p)});
    }
    return out;
}

// Colour 0 is not black, so pixels that no run-length code reaches show as black.
const std::vector<std::uint32_t> kColours = {0x102030, 0xA00000, 0x00B000, 0x0000C0, 0x445566, 0x778899};

std::string rgb24ThreeWide() {  // nine bytes and three padding bytes per row
    return bmFile(infoHeader(3, 2, 24), bytes({1, 2, 3, 4, 5, 6, 7, 8, 9, 0xEE, 0xEE, 0xEE, 0x11, 0x12, 0x13, 0x14,
                                               0x15, 0x16, 0x17, 0x18, 0x19, 0xEE, 0xEE, 0xEE}));
}
std::string pal8File() {
    std::vector<std::uint32_t> colours(256, 0x0A0B0C);
    colours[7] = 0x707172;
    colours[255] = 0xFFEEDD;
    return bmFile(infoHeader(2, 2, 8) + colourTable(colours), bytes({7, 255, 0, 0, 0, 7, 0, 0}));
}
std::string rle8File() {
    return bmFile(infoHeader(6, 3, 8, 1, 4) + colourTable({kColours.begin(), kColours.begin() + 4}),
                  bytes({2, 1,              // two pixels of colour 1
                         0, 3, 2, 3, 1, 0,  // absolute run of three, padded to a word
                         0, 0,              // end of line before the last pixel
                         1, 3,              // one pixel of colour 3
                         0, 2, 3, 1,        // delta: three right, one up
                         2, 2, 0, 1}));     // two pixels of colour 2, end of bitmap
}
std::string rle4File() {
    return bmFile(infoHeader(6, 2, 4, 2, 6) + colourTable(kColours),
                  bytes({3, 0x12, 0, 3, 0x34, 0x50,      // colours 1 2 1, then three nibbles in two bytes
                         0, 0,                           // end of line
                         0, 5, 0x01, 0x23, 0x40, 0,      // five nibbles in three bytes, padded to a word
                         1, 0x55, 0, 1}));               // one pixel of colour 5, end of bitmap
}
std::string coreBody() {
    std::vector<std::uint32_t> colours(256, 0);
    colours[1] = 0x112233;
    colours[2] = 0x445566;
    return u32(12) + u16(2) + u16(1) + u16(1) + u16(8) + colourTable(colours, true);
}

class BitmapReaderTest : public ::testing::Test {
protected:
    std::unique_ptr<RGBImage> load(const std::string& file) {
        fake.messages.clear();
        scratch.writeFile("test.bmp", file);
        return loadDIBImage("test.bmp");
    }
    void expectImage(const std::string& file, int width, int height, const Bytes& expected) {
        const std::unique_ptr<RGBImage> image = load(file);
        ASSERT_NE(image, nullptr) << (fake.messages.empty() ? "" : fake.messages[0].text);
        EXPECT_EQ(image->width, width);
        EXPECT_EQ(image->height, height);
        EXPECT_EQ(image->data, expected);
    }
    void expectRefused(const std::string& file, const std::string& text) {
        EXPECT_EQ(load(file), nullptr);
        ASSERT_EQ(fake.messages.size(), 1u);
        EXPECT_EQ(fake.messages[0].title, "Error");
        EXPECT_EQ(fake.messages[0].text, text);
        EXPECT_EQ(fake.messages[0].icon, MessageIcon::Error);
    }

    RecordingPlatform fake;
    ScopedPlatformServices installed{fake};
    ScratchDirectory scratch;
};

TEST_F(BitmapReaderTest, RowsLosePaddingAndComeOutBottomRowFirst) {
    expectImage(rgb24ThreeWide(), 3, 2, rgb({0x030201, 0x060504, 0x090807, 0x131211, 0x161514, 0x191817}));
    // Top-down: red stored first, green second.
    expectImage(bmFile(infoHeader(1, -2, 24), bytes({0, 0, 255, 0, 0, 255, 0, 0})), 1, 2, rgb({0x00FF00, 0xFF0000}));
}

TEST_F(BitmapReaderTest, PalettisedPixelsGoThroughTheirColourTables) {
    expectImage(pal8File(), 2, 2, rgb({0x707172, 0xFFEEDD, 0x0A0B0C, 0x707172}));
    const std::uint32_t a = 0x123456, b = 0xFEDCBA;  // 1 bit, most significant first, across two bytes
    expectImage(bmFile(infoHeader(10, 1, 1) + colourTable({a, b}), bytes({0b10110000, 0b01000000, 0, 0})), 10, 1,
                rgb({b, a, b, b, a, a, a, a, a, b}));
    // 4 bits through a three-entry table; index 5 lies beyond it and comes out black.
    expectImage(bmFile(infoHeader(3, 1, 4, 0, 3) + colourTable({0x010203, 0x040506, 0x070809}),
                       bytes({0x21, 0x50, 0, 0})),
                3, 1, rgb({0x070809, 0x040506, 0}));
}

TEST_F(BitmapReaderTest, CoreAndBareBitmapsFindTheirPixels) {
    expectImage(bmFile(coreBody(), bytes({2, 1, 0, 0}), 6), 2, 1, rgb({0x445566, 0x112233}));  // at the named offset
    expectImage(coreBody() + bytes({1, 2, 0, 0}), 2, 1, rgb({0x112233, 0x445566}));  // after the 3-byte entries
    expectImage(infoHeader(1, 1, 1) + colourTable({0, 0xABCDEF}) + bytes({0x80, 0, 0, 0}), 1, 1, rgb({0xABCDEF}));
}

TEST_F(BitmapReaderTest, RunLengthCodesFillRowsSkipAndStop) {
    const std::uint32_t o = 0, c1 = kColours[1], c2 = kColours[2], c3 = kColours[3];
    expectImage(rle8File(), 6, 3, rgb({c1, c1, c2, c3, c1, o, c3, o, o, o, o, o, o, o, o, o, c2, c2}));
    const std::vector<std::uint32_t>& p = kColours;
    expectImage(rle4File(), 6, 2, rgb({p[1], p[2], p[1], p[3], p[4], p[5], p[0], p[1], p[2], p[3], p[4], p[5]}));
    // Runs spilling over the row end and jumps out of the picture are corrupt.
    for (const std::string& corrupt : {bytes({4, 1, 3, 1, 0, 1}), bytes({4, 1, 0, 3, 1, 1, 1, 0, 0, 1}),
                                       bytes({0, 2, 7, 0, 0, 1})}) {
        expectRefused(bmFile(infoHeader(6, 3, 8, 1, 1) + colourTable({0}), corrupt), "Image file conversion error.");
    }
}

TEST_F(BitmapReaderTest, DirectColourWithAndWithoutBitFieldMasks) {
    // 5-5-5: white, full red, blue at 16 of 31.
    expectImage(bmFile(infoHeader(3, 1, 16), bytes({0xFF, 0x7F, 0x00, 0x7C, 0x10, 0, 0, 0})), 3, 1,
                rgb({0xFFFFFF, 0xFF0000, 0x000083}));
    // 5-6-5 masks: full red, full green, green at 1 of 63.
    expectImage(bmFile(infoHeader(3, 1, 16, 3) + u32(0xF800) + u32(0x07E0) + u32(0x1F),
                       bytes({0x00, 0xF8, 0xE0, 0x07, 0x20, 0, 0, 0})),
                3, 1, rgb({0xFF0000, 0x00FF00, 0x000400}));
    expectImage(bmFile(infoHeader(1, 1, 32), bytes({0x11, 0x22, 0x33, 0x99})), 1, 1, rgb({0x332211}));
    expectImage(bmFile(infoHeader(1, 1, 32, 3) + u32(0xFF) + u32(0xFF00) + u32(0xFF0000),
                       bytes({0x11, 0x22, 0x33, 0x99})),
                1, 1, rgb({0x112233}));
}

TEST_F(BitmapReaderTest, OtherHeaderSizesAreAnUnknownFormat) {
    for (std::uint32_t size : {108u, 124u}) {
        std::string header = u32(size) + infoHeader(1, 1, 24).substr(4);
        header.resize(size, '\0');
        expectRefused(bmFile(header, bytes({1, 2, 3, 0})), "Unknown DIB file format.");
    }
}

TEST_F(BitmapReaderTest, EveryTruncationOfEveryKindIsRefused) {
    for (const std::string& file :
         {rgb24ThreeWide(), pal8File(), rle8File(), rle4File(), bmFile(coreBody(), bytes({2, 1, 0, 0}))}) {
        ASSERT_EQ(decodeDIB(reinterpret_cast<const unsigned char*>(file.data()), file.size()).error, DibError::None);
        for (std::size_t length = 0; length < file.size(); ++length) {
            // An exact-size heap copy lets the sanitizer build catch any read past the end.
            const Bytes prefix(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length));
            EXPECT_EQ(decodeDIB(prefix.data(), prefix.size()).error, DibError::ConversionError) << length;
        }
    }
    expectRefused(rle8File().substr(0, 70), "Image file conversion error.");
    // Two bytes of run-length data can announce any size: refused before allocating.
    expectRefused(bmFile(infoHeader(60000, 60000, 8, 1, 1) + colourTable({0}), bytes({0, 1})), "Out of memory.");
}

TEST_F(BitmapReaderTest, TheOpenFailureTextNamesTheFileWithinTheMessageLimit) {
    const std::string longName(400, 'n');
    EXPECT_EQ(loadDIBImage(longName.c_str()), nullptr);
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].text, ("Failed to open DIB file " + longName).substr(0, 259));
}

}  // namespace
