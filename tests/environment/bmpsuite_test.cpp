// Bitmap reader over the public BMP test suite: good files match FreeImage's decoder, every file is handled cleanly.
#include <gtest/gtest.h>

#include <FreeImage.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "environment/bitmap_reader.h"
#include "environment/dib_decoder.h"
#include "support/recording_platform.h"
#include "support/scratch_directory.h"

namespace {

const std::string kSuite = LUMIVOR_SOURCE_DIR "/../shared/testdata/bmpsuite/";

// FreeImage reads 32-bit bit-field files in the standard 8-8-8 layout whatever
// their masks say; such a file is compared with the same picture stored plainly.
const std::map<std::string, std::string> kSamePictureStoredPlainly = {{"rgb32bf.bmp", "rgb32.bmp"}};

std::vector<std::filesystem::path> suiteFiles(const std::string& folder) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(kSuite + folder)) {
        files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// Only 12- and 40-byte headers are known; the size follows the 14-byte file header.
bool hasKnownHeader(const std::string& content) {
    return content.size() >= 18 && (content[14] == 12 || content[14] == 40) && content.compare(15, 3, "\0\0\0", 3) == 0;
}

// Packed R, G, B rows, bottom row first, from FreeImage's own BMP decoder.
std::vector<unsigned char> freeImagePixels(const std::string& path) {
    std::vector<unsigned char> pixels;
    FIBITMAP* loaded = FreeImage_Load(FIF_BMP, path.c_str(), BMP_DEFAULT);
    FIBITMAP* converted = loaded != nullptr ? FreeImage_ConvertTo24Bits(loaded) : nullptr;
    for (unsigned y = 0; converted != nullptr && y < FreeImage_GetHeight(converted); ++y) {
        const BYTE* line = FreeImage_GetScanLine(converted, static_cast<int>(y));
        for (unsigned x = 0; x < FreeImage_GetWidth(converted); ++x) {
            const BYTE* pixel = line + x * 3;
            pixels.insert(pixels.end(), {pixel[FI_RGBA_RED], pixel[FI_RGBA_GREEN], pixel[FI_RGBA_BLUE]});
        }
    }
    FreeImage_Unload(converted);
    FreeImage_Unload(loaded);
    return pixels;
}

class BmpSuiteTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { FreeImage_Initialise(FALSE); }
    static void TearDownTestSuite() { FreeImage_DeInitialise(); }
    void SetUp() override {
        if (!std::filesystem::is_directory(kSuite)) {
            GTEST_SKIP() << "the BMP test suite is not in the shared test data";
        }
    }

    // Either an image of consistent size and no message, or null and exactly
    // one known error message; the text of that message, or "" for an image.
    std::string loadCleanly(const std::filesystem::path& path, std::unique_ptr<RGBImage>& image) {
        // The decoder also runs on an exact-size heap copy, where the sanitizer
        // build catches any read past the end of the file.
        const std::string content = readWholeFile(path);
        const std::vector<unsigned char> copy(content.begin(), content.end());
        const bool decoded = decodeDIB(copy.data(), copy.size()).image != nullptr;

        fake.messages.clear();
        image = loadDIBImage(path.c_str());
        EXPECT_EQ(image != nullptr, decoded) << path;
        if (image) {
            EXPECT_TRUE(fake.messages.empty()) << path;
            EXPECT_EQ(image->data.size(), std::size_t(image->width) * image->height * 3) << path;
            return "";
        }
        static const std::set<std::string> kTexts = {"Unknown DIB file format.", "Image file conversion error.",
                                                     "Out of memory."};
        EXPECT_EQ(fake.messages.size(), 1u) << path;
        const std::string text = fake.messages.empty() ? "(none)" : fake.messages[0].text;
        EXPECT_EQ(kTexts.count(text), 1u) << path << ": " << text;
        if (!hasKnownHeader(content)) {
            EXPECT_EQ(text, "Unknown DIB file format.") << path;
        }
        return text;
    }

    RecordingPlatform fake;
    ScopedPlatformServices installed{fake};
};

TEST_F(BmpSuiteTest, GoodFilesDecodeExactlyAsFreeImageDoes) {
    int compared = 0;
    for (const auto& path : suiteFiles("g")) {
        std::unique_ptr<RGBImage> image;
        loadCleanly(path, image);
        if (!hasKnownHeader(readWholeFile(path))) {
            continue;  // refused as unknown by loadCleanly
        }
        ASSERT_NE(image, nullptr) << path;
        const auto plain = kSamePictureStoredPlainly.find(path.filename().string());
        const std::vector<unsigned char> expected =
            freeImagePixels(plain == kSamePictureStoredPlainly.end() ? path.string() : kSuite + "g/" + plain->second);
        EXPECT_TRUE(image->data == expected) << path << " differs from FreeImage's decoding";
        ++compared;
    }
    EXPECT_GE(compared, 20);
}

TEST_F(BmpSuiteTest, QuestionableAndBadFilesAreHandledCleanlyAndCorruptOnesRefused) {
    std::map<std::string, std::string> refusals;
    for (const char* folder : {"q", "b"}) {
        for (const auto& path : suiteFiles(folder)) {
            std::unique_ptr<RGBImage> image;
            refusals[path.filename().string()] = loadCleanly(path, image);
        }
    }
    for (const char* name : {"shortfile.bmp", "reallybig.bmp", "badbitcount.bmp", "badwidth.bmp", "badpalettesize.bmp",
                             "rletopdown.bmp", "badrle.bmp", "badrlebis.bmp", "badrleter.bmp", "badrle4.bmp",
                             "badrle4bis.bmp", "badrle4ter.bmp"}) {
        EXPECT_EQ(refusals[name], "Image file conversion error.") << name;
    }
    EXPECT_EQ(refusals["badheadersize.bmp"], "Unknown DIB file format.");
}

}  // namespace
