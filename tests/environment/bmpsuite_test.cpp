// The public BMP test suite: good files decode as FreeImage decodes them, every file is handled cleanly.
#include <gtest/gtest.h>

#include <FreeImage.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "environment/bitmap_reader.h"
#include "environment/dib_decoder.h"
#include "support/recording_platform.h"
#include "support/scratch_directory.h"

namespace {

const std::string kSuite = LUMIVOR_SOURCE_DIR "/../shared/testdata/bmpsuite/";

// Packed R, G, B rows, bottom row first, from FreeImage's own BMP decoder.
std::vector<unsigned char> freeImagePixels(const std::string& path) {
    std::vector<unsigned char> pixels;
    FIBITMAP* loaded = FreeImage_Load(FIF_BMP, path.c_str(), BMP_DEFAULT);
    FIBITMAP* converted = FreeImage_ConvertTo24Bits(loaded);
    for (unsigned y = 0; y < FreeImage_GetHeight(converted); ++y) {
        const BYTE* line = FreeImage_GetScanLine(converted, int(y));
        for (unsigned x = 0; x < FreeImage_GetWidth(converted); ++x, line += 3) {
            pixels.insert(pixels.end(), {line[FI_RGBA_RED], line[FI_RGBA_GREEN], line[FI_RGBA_BLUE]});
        }
    }
    FreeImage_Unload(converted);
    FreeImage_Unload(loaded);
    return pixels;
}

}  // namespace

TEST(BmpSuite, GoodFilesMatchFreeImageAndOthersGiveOneKnownMessage) {
    if (!std::filesystem::is_directory(kSuite)) GTEST_SKIP() << "the BMP test suite is not in the shared test data";
    FreeImage_Initialise(FALSE);
    RecordingPlatform fake;
    ScopedPlatformServices installed{fake};
    const std::string conversion = "Image file conversion error.", unknown = "Unknown DIB file format.";
    const std::set<std::string> conversionErrors = {
        "shortfile.bmp", "reallybig.bmp", "badbitcount.bmp", "badwidth.bmp", "badpalettesize.bmp", "rletopdown.bmp",
        "badrle.bmp", "badrlebis.bmp", "badrleter.bmp", "badrle4.bmp", "badrle4bis.bmp", "badrle4ter.bmp"};
    int compared = 0;
    for (const char* folder : {"g", "q", "b"}) {
        for (const auto& entry : std::filesystem::directory_iterator(kSuite + folder)) {
            const std::string path = entry.path(), name = entry.path().filename(), content = readWholeFile(path);
            const std::vector<unsigned char> copy(content.begin(), content.end());  // exact size for the sanitizer
            const bool decoded = decodeDIB(copy.data(), copy.size()).image != nullptr;
            // Only 12- and 40-byte headers are known; the size follows the 14-byte file header.
            const bool known = content.size() >= 18 && (content[14] == 12 || content[14] == 40) &&
                               content.compare(15, 3, "\0\0\0", 3) == 0;
            fake.messages.clear();
            const std::unique_ptr<RGBImage> image = loadDIBImage(path.c_str());
            ASSERT_EQ(image != nullptr, decoded) << path;
            EXPECT_EQ(fake.messages.size(), image ? 0u : 1u) << path;
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
