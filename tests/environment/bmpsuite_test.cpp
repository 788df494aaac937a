// Bitmap reader over the public BMP test suite: good files match FreeImage's decoder, every file is handled cleanly.
#include <gtest/gtest.h>

#include <FreeImage.h>

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

const std::string kSuiteDirectory = LUMIVOR_SOURCE_DIR "/../shared/testdata/bmpsuite/";

std::vector<std::string> suiteFiles(const std::string& folder) {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(kSuiteDirectory + folder)) {
        if (entry.path().extension() == ".bmp") {
            files.push_back(entry.path().string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The 32-bit size that opens the header after the 14-byte file header.
std::uint32_t headerSizeOf(const std::string& path) {
    const std::string bytes = readWholeFile(path);
    if (bytes.size() < 18) {
        return 0;
    }
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + 14;
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// FreeImage's decoder reads 32-bit bit-field files in the standard 8-8-8 layout
// whatever their masks say; such a file is compared with FreeImage's decoding
// of the same picture stored in the standard layout.
const std::map<std::string, std::string> kSamePictureInStandardLayout = {{"rgb32bf.bmp", "rgb32.bmp"}};

bool isKnownHeaderSize(std::uint32_t size) { return size == 12 || size == 40; }

// Packed R, G, B rows, bottom row first, as FreeImage's own BMP decoder gives them; empty when it cannot read the file.
std::vector<unsigned char> freeImagePixels(const std::string& path, int& width, int& height) {
    std::vector<unsigned char> pixels;
    FIBITMAP* loaded = FreeImage_Load(FIF_BMP, path.c_str(), BMP_DEFAULT);
    if (loaded == nullptr) {
        return pixels;
    }
    FIBITMAP* converted = FreeImage_ConvertTo24Bits(loaded);
    FreeImage_Unload(loaded);
    if (converted == nullptr) {
        return pixels;
    }
    width = static_cast<int>(FreeImage_GetWidth(converted));
    height = static_cast<int>(FreeImage_GetHeight(converted));
    for (int y = 0; y < height; ++y) {
        const BYTE* line = FreeImage_GetScanLine(converted, y);
        for (int x = 0; x < width; ++x) {
            pixels.push_back(line[x * 3 + FI_RGBA_RED]);
            pixels.push_back(line[x * 3 + FI_RGBA_GREEN]);
            pixels.push_back(line[x * 3 + FI_RGBA_BLUE]);
        }
    }
    FreeImage_Unload(converted);
    return pixels;
}

class BmpSuiteTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { FreeImage_Initialise(FALSE); }
    static void TearDownTestSuite() { FreeImage_DeInitialise(); }

    void SetUp() override {
        if (!std::filesystem::is_directory(kSuiteDirectory)) {
            GTEST_SKIP() << "the BMP test suite is not in the shared test data";
        }
    }

    // Loads one file and checks the outcome is either an image of the
    // announced kind and no message, or null and exactly one error message.
    std::unique_ptr<RGBImage> loadCleanly(const std::string& path) {
        // The decoder also runs on an exact-size heap copy, where the
        // sanitizer build catches any read past the end of the file.
        const std::string content = readWholeFile(path);
        const std::vector<unsigned char> copy(content.begin(), content.end());
        const DibDecodeResult decoded = decodeDIB(copy.data(), copy.size());

        fake.messages.clear();
        std::unique_ptr<RGBImage> image = loadDIBImage(path.c_str());
        EXPECT_EQ(image != nullptr, decoded.image != nullptr) << path;
        if (image) {
            EXPECT_TRUE(fake.messages.empty()) << path;
            EXPECT_GT(image->width, 0) << path;
            EXPECT_GT(image->height, 0) << path;
            EXPECT_EQ(image->data.size(), static_cast<std::size_t>(image->width) * image->height * 3) << path;
        } else {
            static const std::set<std::string> kTexts = {"Unknown DIB file format.", "Image file conversion error.",
                                                         "Out of memory."};
            EXPECT_EQ(fake.messages.size(), 1u) << path;
            if (!fake.messages.empty()) {
                EXPECT_EQ(fake.messages[0].title, "Error") << path;
                EXPECT_EQ(kTexts.count(fake.messages[0].text), 1u) << path << ": " << fake.messages[0].text;
            }
        }
        return image;
    }

    std::string refusal(const std::string& path) {
        fake.messages.clear();
        const std::unique_ptr<RGBImage> image = loadDIBImage(path.c_str());
        return image == nullptr && fake.messages.size() == 1 ? fake.messages[0].text : "(decoded)";
    }

    RecordingPlatform fake;
    ScopedPlatformServices installed{fake};
};

TEST_F(BmpSuiteTest, GoodFilesDecodeExactlyAsFreeImageDoes) {
    int compared = 0;
    for (const std::string& path : suiteFiles("g")) {
        const std::unique_ptr<RGBImage> image = loadCleanly(path);
        if (!isKnownHeaderSize(headerSizeOf(path))) {
            EXPECT_EQ(image, nullptr) << path;
            EXPECT_EQ(refusal(path), "Unknown DIB file format.") << path;
            continue;
        }
        ASSERT_NE(image, nullptr) << path;
        int width = 0;
        int height = 0;
        const std::string name = std::filesystem::path(path).filename().string();
        const auto standard = kSamePictureInStandardLayout.find(name);
        const std::string reference = standard == kSamePictureInStandardLayout.end() ? path
                                                                                     : kSuiteDirectory + "g/" + standard->second;
        const std::vector<unsigned char> expected = freeImagePixels(reference, width, height);
        ASSERT_FALSE(expected.empty()) << "FreeImage cannot read " << path;
        EXPECT_EQ(image->width, width) << path;
        EXPECT_EQ(image->height, height) << path;
        EXPECT_TRUE(image->data == expected) << path << " differs from FreeImage's decoding";
        ++compared;
    }
    EXPECT_GE(compared, 20);
}

TEST_F(BmpSuiteTest, QuestionableAndBadFilesAreHandledCleanly) {
    for (const char* folder : {"q", "b"}) {
        for (const std::string& path : suiteFiles(folder)) {
            const std::unique_ptr<RGBImage> image = loadCleanly(path);
            if (!isKnownHeaderSize(headerSizeOf(path))) {
                EXPECT_EQ(refusal(path), "Unknown DIB file format.") << path;
            }
        }
    }
}

TEST_F(BmpSuiteTest, CorruptFilesAreRefused) {
    const std::string bad = kSuiteDirectory + "b/";
    for (const char* name : {"shortfile.bmp", "reallybig.bmp", "badbitcount.bmp", "badwidth.bmp",
                             "badpalettesize.bmp", "rletopdown.bmp", "badrle.bmp", "badrlebis.bmp",
                             "badrleter.bmp", "badrle4.bmp", "badrle4bis.bmp", "badrle4ter.bmp"}) {
        EXPECT_EQ(refusal(bad + name), "Image file conversion error.") << name;
    }
    EXPECT_EQ(refusal(bad + "badheadersize.bmp"), "Unknown DIB file format.");
}

}  // namespace
