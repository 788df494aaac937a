// Bitmap reader: exact RGB bytes for every stored layout, refusals of unknown and truncated files, and their messages.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bitmap_builder.h"
#include "environment/bitmap_reader.h"
#include "environment/dib_decoder.h"
#include "environment/noise_texture.h"
#include "support/recording_platform.h"
#include "support/scratch_directory.h"

using namespace bitmap_builder;

namespace {

using Bytes = std::vector<unsigned char>;

// R, G, B bytes of 0xRRGGBB pixels, in the order given.
Bytes rgb(std::initializer_list<std::uint32_t> pixels) {
    Bytes bytes;
    for (std::uint32_t pixel : pixels) {
        bytes.push_back(static_cast<unsigned char>(pixel >> 16));
        bytes.push_back(static_cast<unsigned char>(pixel >> 8));
        bytes.push_back(static_cast<unsigned char>(pixel));
    }
    return bytes;
}

std::string bytesOf(std::initializer_list<int> values) {
    std::string bytes;
    for (int value : values) {
        bytes += static_cast<char>(value);
    }
    return bytes;
}

// Sixteen distinct colours, none black, so pixels no code reaches stand out.
std::vector<std::uint32_t> sixteenColours() {
    std::vector<std::uint32_t> colours;
    for (std::uint32_t i = 0; i < 16; ++i) {
        colours.push_back(0x102030 + i * 0x010101);
    }
    return colours;
}

class BitmapReaderTest : public ::testing::Test {
protected:
    std::unique_ptr<RGBImage> load(const std::string& file) {
        scratch.writeFile("test.bmp", file);
        return loadDIBImage("test.bmp");
    }

    void expectImage(const std::unique_ptr<RGBImage>& image, int width, int height, const Bytes& expected) {
        ASSERT_NE(image, nullptr) << (fake.messages.empty() ? "" : fake.messages.front().text);
        EXPECT_EQ(image->width, width);
        EXPECT_EQ(image->height, height);
        EXPECT_EQ(image->data, expected);
        EXPECT_TRUE(fake.messages.empty());
    }

    void expectOneError(const std::string& text) {
        ASSERT_EQ(fake.messages.size(), 1u);
        EXPECT_EQ(fake.messages[0].title, "Error");
        EXPECT_EQ(fake.messages[0].text, text);
        EXPECT_EQ(fake.messages[0].icon, MessageIcon::Error);
    }

    RecordingPlatform fake;
    ScopedPlatformServices installed{fake};
    ScratchDirectory scratch;
};

// Files of each stored kind, shared by the layout and the truncation tests.
std::string rgb24ThreeWide() {
    // Two rows of three pixels: nine bytes and three padding bytes each, bottom row first.
    const std::string pixels = bytesOf({0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0xEE, 0xEE, 0xEE,
                                        0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0xEE, 0xEE, 0xEE});
    return bmFile(infoHeader(3, 2, 24), pixels);
}

std::string rle8File() {
    const std::string data = bytesOf({
        0x02, 0x01,                          // two pixels of colour 1
        0x00, 0x03, 0x02, 0x03, 0x01, 0x00,  // absolute run of three, padded to a word
        0x00, 0x00,                          // end of line: the last pixel of the row stays black
        0x01, 0x03,                          // one pixel of colour 3
        0x00, 0x02, 0x03, 0x01,              // delta: three right, one up
        0x02, 0x02,                          // two pixels of colour 2 at the end of the top row
        0x00, 0x01,                          // end of bitmap
    });
    return bmFile(infoHeader(6, 3, 8, 1, 4) + colourTable({0x102030, 0xA00000, 0x00B000, 0x0000C0}), data);
}

std::string rle4File() {
    const std::string data = bytesOf({
        0x03, 0x12,                          // colours 1, 2, 1
        0x00, 0x03, 0x34, 0x50,              // absolute run of three nibbles in two bytes
        0x00, 0x00,                          // end of line
        0x00, 0x05, 0x67, 0x89, 0xA0, 0x00,  // five nibbles in three bytes, padded to a word
        0x01, 0xBB,                          // one pixel of colour 11
        0x00, 0x01,                          // end of bitmap
    });
    return bmFile(infoHeader(6, 2, 4, 2) + colourTable(sixteenColours()), data);
}

std::string pal8File() {
    std::vector<std::uint32_t> colours(256, 0);
    colours[0] = 0x0A0B0C;
    colours[7] = 0x707172;
    colours[255] = 0xFFEEDD;
    // 2 x 2, rows padded to four bytes.
    return bmFile(infoHeader(2, 2, 8) + colourTable(colours), bytesOf({7, 255, 0, 0, 0, 7, 0, 0}));
}

std::string coreHeaderBody() {
    std::vector<std::uint32_t> colours(256, 0x000000);
    colours[1] = 0x112233;
    colours[2] = 0x445566;
    return coreHeader(2, 1, 8) + colourTable(colours, true);
}

TEST_F(BitmapReaderTest, Rgb24RowsLosePaddingAndStayBottomRowFirst) {
    expectImage(load(rgb24ThreeWide()), 3, 2,
                rgb({0x030201, 0x060504, 0x090807, 0x131211, 0x161514, 0x191817}));
}

TEST_F(BitmapReaderTest, TopDownRowsComeOutBottomRowFirst) {
    const std::string pixels = bytesOf({0x00, 0x00, 0xFF, 0x00, 0x00, 0xFF, 0x00, 0x00});  // top red, bottom green
    expectImage(load(bmFile(infoHeader(1, -2, 24), pixels)), 1, 2, rgb({0x00FF00, 0xFF0000}));
}

TEST_F(BitmapReaderTest, PalettisedPixelsGoThroughTheirColourTables) {
    expectImage(load(pal8File()), 2, 2, rgb({0x707172, 0xFFEEDD, 0x0A0B0C, 0x707172}));
    // 1 bit, ten pixels across two bytes, most significant bit first.
    const std::string onePixels = bytesOf({0b10110000, 0b01000000, 0, 0});
    const auto one = load(bmFile(infoHeader(10, 1, 1) + colourTable({0x123456, 0xFEDCBA}), onePixels));
    const std::uint32_t a = 0x123456, b = 0xFEDCBA;
    expectImage(one, 10, 1, rgb({b, a, b, b, a, a, a, a, a, b}));
    // 4 bits with a three-entry table from colours-used; index 5 lies beyond it and comes out black.
    const auto four = load(bmFile(infoHeader(3, 1, 4, 0, 3) + colourTable({0x010203, 0x040506, 0x070809}),
                                  bytesOf({0x21, 0x50, 0, 0})));
    expectImage(four, 3, 1, rgb({0x070809, 0x040506, 0x000000}));
}

TEST_F(BitmapReaderTest, CoreHeaderFindsItsPixelsWithAndWithoutTheFileHeader) {
    // With a file header the pixels sit at the offset it names, past a gap.
    expectImage(load(bmFile(coreHeaderBody(), bytesOf({2, 1, 0, 0}), 6)), 2, 1, rgb({0x445566, 0x112233}));
    fake.messages.clear();
    // Bare, they follow the header and its three-byte colour entries.
    expectImage(load(coreHeaderBody() + bytesOf({1, 2, 0, 0})), 2, 1, rgb({0x112233, 0x445566}));
    fake.messages.clear();
    const auto bareInfo = load(infoHeader(1, 1, 1) + colourTable({0x000000, 0xABCDEF}) + bytesOf({0x80, 0, 0, 0}));
    expectImage(bareInfo, 1, 1, rgb({0xABCDEF}));
}

TEST_F(BitmapReaderTest, RunLengthCodesFillRowsSkipAndStop) {
    // Colour 0 is not black, so pixels no code reaches show as black.
    const std::uint32_t black = 0, c1 = 0xA00000, c2 = 0x00B000, c3 = 0x0000C0;
    expectImage(load(rle8File()), 6, 3,
                rgb({c1, c1, c2, c3, c1, black,                  // bottom row
                     c3, black, black, black, black, black,      // left by the delta
                     black, black, black, black, c2, c2}));      // reached by the delta
    fake.messages.clear();
    const std::vector<std::uint32_t> p = sixteenColours();
    expectImage(load(rle4File()), 6, 2,
                rgb({p[1], p[2], p[1], p[3], p[4], p[5],
                     p[6], p[7], p[8], p[9], p[10], p[11]}));

    // A run spilling over the row end, an absolute run doing so, and a jump
    // out of the picture mark corrupt data.
    const std::string header = infoHeader(6, 3, 8, 1, 4) + colourTable({0x102030, 0xA00000, 0x00B000, 0x0000C0});
    for (const std::string& corrupt : {bytesOf({0x04, 0x01, 0x03, 0x01, 0x00, 0x01}),
                                       bytesOf({0x04, 0x01, 0x00, 0x03, 0x01, 0x01, 0x01, 0x00, 0x00, 0x01}),
                                       bytesOf({0x00, 0x02, 0x07, 0x00, 0x00, 0x01})}) {
        fake.messages.clear();
        EXPECT_EQ(load(bmFile(header, corrupt)), nullptr);
        expectOneError("Image file conversion error.");
    }
}

TEST_F(BitmapReaderTest, DirectColourWithAndWithoutBitFieldMasks) {
    // 5-5-5: white, full red, blue at 16 of 31.
    expectImage(load(bmFile(infoHeader(3, 1, 16), bytesOf({0xFF, 0x7F, 0x00, 0x7C, 0x10, 0x00, 0, 0}))), 3, 1,
                rgb({0xFFFFFF, 0xFF0000, 0x000083}));
    fake.messages.clear();
    // 5-6-5 masks: full red, full green, green at 1 of 63.
    const std::string masks565 = u32(0xF800) + u32(0x07E0) + u32(0x001F);
    expectImage(load(bmFile(infoHeader(3, 1, 16, 3) + masks565, bytesOf({0x00, 0xF8, 0xE0, 0x07, 0x20, 0x00, 0, 0}))),
                3, 1, rgb({0xFF0000, 0x00FF00, 0x000400}));
    fake.messages.clear();
    // 32 bits plain (blue, green, red, unused) and with red in the lowest byte.
    expectImage(load(bmFile(infoHeader(1, 1, 32), bytesOf({0x11, 0x22, 0x33, 0x99}))), 1, 1, rgb({0x332211}));
    fake.messages.clear();
    const std::string masksRgbx = u32(0x000000FF) + u32(0x0000FF00) + u32(0x00FF0000);
    expectImage(load(bmFile(infoHeader(1, 1, 32, 3) + masksRgbx, bytesOf({0x11, 0x22, 0x33, 0x99}))), 1, 1,
                rgb({0x112233}));
}

TEST_F(BitmapReaderTest, OtherHeaderSizesAreAnUnknownFormat) {
    for (std::uint32_t size : {108u, 124u, 64u}) {
        fake.messages.clear();
        std::string header = infoHeader(1, 1, 24);
        header.replace(0, 4, u32(size));
        header.resize(size, '\0');
        EXPECT_EQ(load(bmFile(header, bytesOf({1, 2, 3, 0}))), nullptr) << size;
        expectOneError("Unknown DIB file format.");
    }
}

TEST_F(BitmapReaderTest, EveryTruncationOfEveryKindIsRefused) {
    const std::string files[] = {rgb24ThreeWide(), pal8File(), rle8File(), rle4File(),
                                 bmFile(coreHeaderBody(), bytesOf({2, 1, 0, 0}))};
    for (const std::string& file : files) {
        ASSERT_EQ(decodeDIB(reinterpret_cast<const unsigned char*>(file.data()), file.size()).error, DibError::None);
        for (std::size_t length = 0; length < file.size(); ++length) {
            // A heap copy of just the prefix lets the sanitizer catch any read past its end.
            const std::vector<unsigned char> prefix(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length));
            const DibDecodeResult result = decodeDIB(prefix.data(), prefix.size());
            EXPECT_EQ(result.error, DibError::ConversionError) << "length " << length << " of " << file.size();
            EXPECT_EQ(result.image, nullptr);
        }
    }
    EXPECT_EQ(load(rle8File().substr(0, 70)), nullptr);
    expectOneError("Image file conversion error.");
}

TEST_F(BitmapReaderTest, SizeBeyondWhatMemoryHoldsIsRefusedBeforeAllocating) {
    // Two bytes of run-length data can announce any size.
    EXPECT_EQ(load(bmFile(infoHeader(60000, 60000, 8, 1, 1) + colourTable({0}), bytesOf({0, 1}))), nullptr);
    expectOneError("Out of memory.");
}

TEST_F(BitmapReaderTest, UnopenableFilesGiveTheOpenFailureTextWithTheName) {
    EXPECT_EQ(loadDIBImage("missing.bmp"), nullptr);
    expectOneError("Failed to open DIB file missing.bmp.\n");

    fake.messages.clear();
    scratch.writeFile("empty.bmp", "");
    EXPECT_EQ(loadDIBImage("empty.bmp"), nullptr);
    expectOneError("Failed to open DIB file empty.bmp.\n");

    fake.messages.clear();
    const std::string longName(400, 'n');
    EXPECT_EQ(loadDIBImage(longName.c_str()), nullptr);
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].text, ("Failed to open DIB file " + longName).substr(0, 259));
}

TEST_F(BitmapReaderTest, UnreadableTextureFileEndsTheProgramWithFailure) {
    GLuint names[1] = {0};
    EXPECT_EXIT(loadBitmapTexture(names, "missing.bmp", 0), ::testing::ExitedWithCode(1), "");
}

}  // namespace
