// Bitmap reader: exact RGB bytes for every layout, as FreeImage decodes the BMP suite; bad files refused.
#include <gtest/gtest.h>

#include <FreeImage.h>

#include <filesystem>

#include "environment/bitmap_reader.h"
#include "environment/dib_decoder.h"
#include "support/recording_platform.h"
#include "support/scratch_directory.h"

namespace {

using Bytes = std::vector<unsigned char>;

std::string bytes(std::initializer_list<std::uint32_t> values) { return std::string(values.begin(), values.end()); }
std::string u16(std::uint32_t v) { return bytes({v, v >> 8}); }
std::string u32(std::uint32_t v) { return u16(v & 0xFFFF) + u16(v >> 16); }

std::string info(std::int32_t width, std::int32_t height, int bits, int compression = 0, int coloursUsed = 0) {
    return u32(40) + u32(width) + u32(height) + u16(1) + u16(bits) + u32(compression) + u32(0) + u32(2835) + u32(2835) +
           u32(coloursUsed) + u32(0);
}

// Entries (blue, green, red[, 0]) from 0xRRGGBB values.
std::string table(const std::vector<std::uint32_t>& colours, bool core = false) {
    std::string out;
    for (std::uint32_t c : colours) out += bytes({c, c >> 8, c >> 16}) + (core ? "" : std::string(1, 0));
    return out;
}

// The 14-byte file header names the pixel offset, past an optional gap.
std::string bmFile(const std::string& header, const std::string& pixels, std::size_t gap = 0) {
    const std::uint32_t offset = std::uint32_t(14 + header.size() + gap);
    return "BM" + u32(offset + pixels.size()) + u32(0) + u32(offset) + header + std::string(gap, 'x') + pixels;
}

Bytes rgb(std::initializer_list<std::uint32_t> pixels) {
    Bytes out;
    for (std::uint32_t p : pixels)
        out.insert(out.end(), {std::uint8_t(p >> 16), std::uint8_t(p >> 8), std::uint8_t(p)});
    return out;
}

// Colour 0 is not black, so pixels that no run-length code reaches show as black.
const std::vector<std::uint32_t> kColours = {0x102030, 0xA00000, 0x00B000, 0x0000C0, 0x445566, 0x778899};
const std::uint32_t o = 0, c1 = kColours[1], c2 = kColours[2], c3 = kColours[3], c4 = kColours[4], c5 = kColours[5];

// Nine bytes and three padding bytes per row.
const std::string kRgb24 =
    bmFile(info(3, 2, 24), "\1\2\3\4\5\6\7\x08\x09\xEE\xEE\xEE\x11\x12\x13\x14\x15\x16\x17\x18\x19\xEE\xEE\xEE");
// Two of colour 1, an absolute run of three padded to a word, end of line, one of colour 3, a delta three right and
// one up, two of colour 2, end of bitmap.
const std::string kRle8 = bmFile(info(6, 3, 8, 1, 4) + table({kColours.begin(), kColours.begin() + 4}),
                                 bytes({2, 1, 0, 3, 2, 3, 1, 0, 0, 0, 1, 3, 0, 2, 3, 1, 2, 2, 0, 1}));
// Colours 1 2 1, three nibbles in two bytes, end of line, five nibbles padded to a word, one of colour 5, end.
const std::string kRle4 = bmFile(info(6, 2, 4, 2, 6) + table(kColours),
                                 bytes({3, 0x12, 0, 3, 0x34, 0x50, 0, 0, 0, 5, 0x01, 0x23, 0x40, 0, 1, 0x55, 0, 1}));
const std::string kCore = u32(12) + u16(2) + u16(1) + u16(1) + u16(1) + table({0x112233, 0x445566}, true);
// 5-6-5 masks: full red, full green, green at 1 of 63.
const std::string kBitFields =
    bmFile(info(3, 1, 16, 3) + u32(0xF800) + u32(0x07E0) + u32(0x1F), bytes({0, 0xF8, 0xE0, 7, 0x20, 0, 0, 0}));
// 4 bits through a three-entry table; index 5 lies beyond it and comes out black.
const std::string kPal4 =
    bmFile(info(3, 1, 4, 0, 3) + table({0x010203, 0x040506, 0x070809}), bytes({0x21, 0x50, 0, 0}));

const std::string kSuite = LUMIVOR_SOURCE_DIR "/../shared/testdata/bmpsuite/";

// R, G, B rows, bottom row first, from FreeImage's own BMP decoder.
Bytes freeImagePixels(const std::string& path) {
    FIBITMAP* loaded = FreeImage_Load(FIF_BMP, path.c_str(), BMP_DEFAULT);
    FIBITMAP* image = FreeImage_ConvertTo24Bits(loaded);
    Bytes pixels(FreeImage_GetWidth(image) * FreeImage_GetHeight(image) * 3);
    FreeImage_ConvertToRawBits(pixels.data(), image, FreeImage_GetWidth(image) * 3, 24, 0, 0, 0, FALSE);
    for (std::size_t i = 0; i < pixels.size(); i += 3) std::swap(pixels[i], pixels[i + 2]);  // stored B, G, R
    FreeImage_Unload(image);
    FreeImage_Unload(loaded);
    return pixels;
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

    RecordingPlatform fake;
    ScopedPlatformServices installed{fake};
    ScratchDirectory scratch;
};

TEST_F(BitmapReaderTest, EveryLayoutGivesExactColoursBottomRowFirstWithoutPadding) {
    expectImage(kRgb24, 3, 2, rgb({0x030201, 0x060504, 0x090807, 0x131211, 0x161514, 0x191817}));
    expectImage(bmFile(info(1, -2, 24), bytes({0, 0, 255, 0, 0, 255, 0, 0})), 1, 2, rgb({0x00FF00, 0xFF0000}));
    expectImage(bmFile(kCore, bytes({0x80, 0, 0, 0}), 6), 2, 1, rgb({0x445566, 0x112233}));  // at the named offset
    expectImage(kCore + bytes({0x40, 0, 0, 0}), 2, 1, rgb({0x112233, 0x445566}));  // bare, after 3-byte entries
    expectImage(info(1, 1, 1) + table({0, 0xABCDEF}) + bytes({0x80, 0, 0, 0}), 1, 1, rgb({0xABCDEF}));
    expectImage(kPal4, 3, 1, rgb({0x070809, 0x040506, 0}));
    expectImage(kRle8, 6, 3, rgb({c1, c1, c2, c3, c1, o, c3, o, o, o, o, o, o, o, o, o, c2, c2}));
    expectImage(kRle4, 6, 2, rgb({c1, c2, c1, c3, c4, c5, kColours[0], c1, c2, c3, c4, c5}));
    expectImage(kBitFields, 3, 1, rgb({0xFF0000, 0x00FF00, 0x000400}));
}

TEST_F(BitmapReaderTest, CorruptRunsTruncationsAndHugeSizesAreRefused) {
    for (const std::string& file : {kRgb24, kPal4, kRle8, kRle4, kBitFields, bmFile(kCore, bytes({0x80, 0, 0, 0}))}) {
        ASSERT_EQ(decodeDIB(reinterpret_cast<const unsigned char*>(file.data()), file.size()).error, DibError::None);
        for (std::size_t length = 0; length < file.size(); ++length) {
            const Bytes prefix(file.begin(), file.begin() + std::ptrdiff_t(length));  // exact size for the sanitizer
            EXPECT_EQ(decodeDIB(prefix.data(), prefix.size()).error, DibError::ConversionError) << length;
        }
    }
    // Two bytes of run-length data can announce any size: refused before allocating.
    // Runs one pixel past the row end, in an absolute run, and a jump out of the picture.
    for (const std::string& run : {bytes({4, 1, 3, 1}), bytes({4, 1, 0, 3, 1, 1, 1, 0}), bytes({0, 2, 7, 0})}) {
        EXPECT_EQ(load(bmFile(info(6, 3, 8, 1, 1) + table({0}), run + bytes({0, 1}))), nullptr);
    }
    EXPECT_EQ(load(bmFile(info(60000, 60000, 8, 1, 1) + table({0}), bytes({0, 1}))), nullptr);
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].title, "Error");
    EXPECT_EQ(fake.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(fake.messages[0].text, "Out of memory.");
    const std::string longName(400, 'n');
    EXPECT_EQ(loadDIBImage(longName.c_str()), nullptr);
    EXPECT_EQ(fake.messages.back().text, ("Failed to open DIB file " + longName).substr(0, 259));
}

TEST_F(BitmapReaderTest, SuiteGoodFilesMatchFreeImageAndOthersGiveOneKnownMessage) {
    if (!std::filesystem::is_directory(kSuite)) GTEST_SKIP() << "the BMP test suite is not in the shared test data";
    FreeImage_Initialise(FALSE);
    const std::string conversion = "Image file conversion error.", unknown = "Unknown DIB file format.";
    const std::set<std::string> conversionErrors = {
        "shortfile.bmp", "reallybig.bmp", "badbitcount.bmp", "badwidth.bmp", "badpalettesize.bmp", "rletopdown.bmp",
        "badrle.bmp",    "badrlebis.bmp", "badrleter.bmp",   "badrle4.bmp",  "badrle4bis.bmp",     "badrle4ter.bmp"};
    int compared = 0;
    for (const char* folder : {"g", "q", "b"}) {
        for (const auto& entry : std::filesystem::directory_iterator(kSuite + folder)) {
            const std::string path = entry.path(), name = entry.path().filename(), content = readWholeFile(path);
            const std::vector<unsigned char> copy(content.begin(), content.end());  // exact size for the sanitizer
            const bool decoded = decodeDIB(copy.data(), copy.size()).image != nullptr;
            // Only 12- and 40-byte headers are known; the size follows the 14-byte file header.
            const bool known = content.size() >= 18 && (content[14] == 12 || content[14] == 40) &&
                               content.compare(15, 3, "\0\0\0", 3) == 0;
            const std::unique_ptr<RGBImage> image = load(content);
            ASSERT_EQ(image != nullptr, decoded) << path;
            ASSERT_EQ(fake.messages.size(), image ? 0u : 1u) << path;
            const std::string text = image ? "" : fake.messages.at(0).text;
            if (conversionErrors.count(name) != 0 || !known) {
                EXPECT_EQ(text, known ? conversion : unknown) << path;
            } else if (!image) {
                EXPECT_TRUE(text == conversion || text == "Out of memory.") << path << ": " << text;
            } else {
                EXPECT_EQ(image->data.size(), std::size_t(image->width) * image->height * 3) << path;
            }
            if (folder == std::string("g") && known) {
                ASSERT_NE(image, nullptr) << path;
                // FreeImage reads 32-bit bit-field files as 8-8-8 whatever their masks: compare with the plain file.
                EXPECT_TRUE(image->data == freeImagePixels(name == "rgb32bf.bmp" ? kSuite + "g/rgb32.bmp" : path))
                    << path << " differs from FreeImage's decoding";
                ++compared;
            }
        }
    }
    EXPECT_GE(compared, 20);
    FreeImage_DeInitialise();
}

}  // namespace
