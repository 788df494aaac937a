// Map headers and causes: the header check agrees with what FreeImage decodes correctly, and every refusal says why.
#include <gtest/gtest.h>

#include <FreeImage.h>
#include <sys/stat.h>

#include <cmath>
#include <string>
#include <vector>

#include "environment/environment_map.h"
#include "environment/hdr_header.h"
#include "support/scratch_directory.h"

namespace {

HdrHeaderCheck check(const std::string& text, std::uint64_t maxPixels = kMaxHdrPixels) {
    return checkHdrHeader(reinterpret_cast<const unsigned char*>(text.data()), text.size(), maxPixels);
}

std::string header(const std::string& sizeLine) {
    return "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n" + sizeLine + "\n" + std::string(64, '\x80');
}

// A small map encoded by FreeImage's own writer, as the converter writes ours.
std::string savedMap(int width, int height, FREE_IMAGE_FORMAT format = FIF_HDR) {
    FIBITMAP* image = FreeImage_AllocateT(FIT_RGBF, width, height);
    FIMEMORY* memory = FreeImage_OpenMemory();
    EXPECT_TRUE(FreeImage_SaveToMemory(format, image, memory, 0));
    BYTE* data = nullptr;
    DWORD size = 0;
    FreeImage_AcquireMemory(memory, &data, &size);
    std::string bytes(reinterpret_cast<const char*>(data), size);
    FreeImage_CloseMemory(memory);
    FreeImage_Unload(image);
    return bytes;
}

constexpr int kW = 12;
constexpr int kH = 5;
float value(int x, int yFromTop) { return 1.0f + static_cast<float>(x) + 100.0f * static_cast<float>(yFromTop); }

// A flat (not run-length) file of the kW x kH picture stored in the order its
// size line announces: "-Y" scanlines from the top, "+X" pixels from the left,
// an "X" axis first for column-major files.
std::string orientedFile(const std::string& headerEnd, const char* orientation, const std::string& sizeEnd) {
    const bool rowsFirst = orientation[1] == 'Y';
    const bool fromTop = (rowsFirst ? orientation[0] : orientation[3]) == '-';
    const bool fromLeft = (rowsFirst ? orientation[3] : orientation[0]) == '+';
    std::string sizeLine = orientation;
    sizeLine.insert(2, " " + std::to_string(rowsFirst ? kH : kW));
    sizeLine += " " + std::to_string(rowsFirst ? kW : kH);
    std::string file = "#?RADIANCE" + headerEnd + "FORMAT=32-bit_rle_rgbe" + headerEnd + headerEnd + sizeLine + sizeEnd;
    for (int a = 0; a < (rowsFirst ? kH : kW); ++a) {
        for (int b = 0; b < (rowsFirst ? kW : kH); ++b) {
            const int row = rowsFirst ? a : b;
            const int column = rowsFirst ? b : a;
            const float v = value(fromLeft ? column : kW - 1 - column, fromTop ? row : kH - 1 - row);
            int exponent = 0;
            const float mantissa = std::frexp(v, &exponent) * 256.0f;
            const char m = static_cast<char>(static_cast<unsigned char>(mantissa));
            file += {m, m, m, static_cast<char>(exponent + 128)};
        }
    }
    return file;
}

// True when FreeImage's reader gives the picture as it is meant.
bool decodesCorrectly(const std::string& file) {
    FIMEMORY* memory = FreeImage_OpenMemory(reinterpret_cast<BYTE*>(const_cast<char*>(file.data())),
                                            static_cast<DWORD>(file.size()));
    FIBITMAP* image = FreeImage_LoadFromMemory(FIF_HDR, memory, 0);
    FreeImage_CloseMemory(memory);
    bool correct = image != nullptr && FreeImage_GetWidth(image) == kW && FreeImage_GetHeight(image) == kH;
    for (int y = 0; correct && y < kH; ++y) {
        const FIRGBF* row = reinterpret_cast<const FIRGBF*>(FreeImage_GetScanLine(image, kH - 1 - y));
        for (int x = 0; x < kW; ++x) {
            correct = correct && std::fabs(row[x].red - value(x, y)) < 0.01f * value(x, y);
        }
    }
    if (image != nullptr) {
        FreeImage_Unload(image);
    }
    return correct;
}

class HdrHeader : public ::testing::Test {
protected:
    void SetUp() override { FreeImage_Initialise(FALSE); }
    void TearDown() override { FreeImage_DeInitialise(); }
};

TEST_F(HdrHeader, AcceptsExactlyTheOrientationsLineEndsAndLineLengthsFreeImageDecodesCorrectly) {
    std::vector<std::string> files;
    for (const char* orientation : {"-Y +X", "+Y +X", "-Y -X", "+Y -X", "+X -Y", "+X +Y", "-X -Y", "-X +Y"}) {
        files.push_back(orientedFile("\n", orientation, "\n"));
        files.push_back(orientedFile("\n", orientation, "\r\n"));
        files.push_back(orientedFile("\r\n", orientation, "\r\n"));
    }
    for (std::size_t length : {kMaxHdrHeaderLine, kMaxHdrHeaderLine + 1}) {
        std::string file = orientedFile("\n", "-Y +X", "\n");
        files.push_back(file.insert(file.find('\n') + 1, std::string(length, 'x') + "\n"));
    }
    int accepted = 0;
    for (const std::string& file : files) {
        const HdrHeaderCheck result = check(file);
        EXPECT_EQ(result.status == HdrHeaderStatus::Acceptable, decodesCorrectly(file))
            << file.substr(0, file.find("+X") + 6) << " -> " << result.cause;
        accepted += result.status == HdrHeaderStatus::Acceptable ? 1 : 0;
    }
    EXPECT_EQ(accepted, 3);  // "-Y +X" ending in LF or CR LF, and the longest header line
    EXPECT_EQ(check(savedMap(40, 20), 800).status, HdrHeaderStatus::Acceptable);
    EXPECT_EQ(check(savedMap(40, 20), 799).status, HdrHeaderStatus::TooLarge);
}

TEST_F(HdrHeader, EachRefusalNamesWhatIsNotSupported) {
    struct Case {
        std::string text;
        HdrHeaderStatus status;
        const char* cause;
    };
    const Case cases[] = {
        {header("-Y 100000 +X 100000"), HdrHeaderStatus::TooLarge, "too large: 100000 x 100000 pixels"},
        {header("-Y " + std::string(45, '5') + "6 +X 4"), HdrHeaderStatus::TooLarge, "too large"},
        {header("-Y 65536 +X 4"), HdrHeaderStatus::TooLarge, "65535 per side"},
        {header("-Y 32768 +X 32768"), HdrHeaderStatus::TooLarge, "32768 x 32768"},
        {header("+Y 4 +X 4"), HdrHeaderStatus::UnsupportedOrientation, "orientation \"+Y +X\" is not supported"},
        {header("+X 4 -Y 4"), HdrHeaderStatus::UnsupportedOrientation, "\"+X -Y\""},
        {header("-Y 0 +X 4"), HdrHeaderStatus::MalformedSize, "malformed"},
        {header("-Y 04 +X 4"), HdrHeaderStatus::MalformedSize, "malformed"},
        {header("-Y -4 +X 4"), HdrHeaderStatus::MalformedSize, "malformed"},
        {header("-Y 4 +X 4 "), HdrHeaderStatus::MalformedSize, "malformed"},
        {header("-Y 4  +X 4"), HdrHeaderStatus::MalformedSize, "malformed"},
        {header("-Y 4 -Y 4"), HdrHeaderStatus::MalformedSize, "malformed"},
        {header("-Y 4 +X"), HdrHeaderStatus::MalformedSize, "malformed"},
        {"#?RADIANCE\r\n\r\n-Y 4 +X 4\r\n", HdrHeaderStatus::WindowsLineEnds, "CR LF"},
        {"#?RADIANCE\n" + std::string(256, 'x') + "\n\n-Y 4 +X 4\n", HdrHeaderStatus::LineTooLong,
         "longer than 255 bytes"},
        {"#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n-Y 4 +X 4\n", HdrHeaderStatus::Truncated, "truncated"},
        {"#?RADIANCE\n\n-Y 4 +X 4", HdrHeaderStatus::Truncated, "truncated"},
        {std::string("#?RADIANCE\nA\0B\n\n-Y 4 +X 4\n", 26), HdrHeaderStatus::NotRadiance, "not a Radiance"},
        {"RADIANCE\n\n-Y 4 +X 4\n", HdrHeaderStatus::NotRadiance, "not a Radiance"},
        {"", HdrHeaderStatus::NotRadiance, "empty"},
    };
    for (const Case& c : cases) {
        const HdrHeaderCheck result = check(c.text);
        EXPECT_EQ(result.status, c.status) << c.text.substr(0, 60);
        EXPECT_NE(result.cause.find(c.cause), std::string::npos) << result.cause;
    }
    EXPECT_FALSE(hdrHeaderAcceptable(nullptr, 0));
}

TEST_F(HdrHeader, AMapThatCannotBeUsedGivesNoImageAndItsRealCause) {
    ScratchDirectory scratch;
    // Found by fuzz_hdr: FreeImage read far outside its picture for this size.
    std::string overflow = header("-Y " + std::string(45, '5') + "6 +X 4");
    for (int i = 0; i < 24; ++i) {
        overflow += "(\xc8\x80<";
    }
    scratch.writeFile("overflow.hdr", overflow);
    scratch.writeFile("huge.hdr", header("-Y 100000 +X 100000"));
    const std::string map = savedMap(64, 32);
    scratch.writeFile("cut.hdr", map.substr(0, map.size() / 2));
    scratch.writeFile("empty.hdr", "");
    scratch.writeFile("picture.hdr", "BM" + std::string(100, '\1'));
    const std::string exr = savedMap(64, 32, FIF_EXR);
    scratch.writeFile("map.exr", exr);
    std::string hugeExr = exr;
    const std::size_t window = hugeExr.find("dataWindow");
    ASSERT_NE(window, std::string::npos);
    hugeExr.replace(window + 29, 8, std::string("\x9f\x86\x01\x00\x9f\x86\x01\x00", 8));  // xMax, yMax 99999
    scratch.writeFile("huge.exr", hugeExr);
    mkdir(scratch.file("folder.hdr").c_str(), 0700);
    const std::pair<const char*, const char*> expected[] = {
        {"overflow.hdr", "too large"},  {"huge.hdr", "too large: 100000 x 100000 pixels"},
        {"cut.hdr", "truncated"},       {"empty.hdr", "empty"},
        {"picture.hdr", "not a Radiance HDR or OpenEXR file"},
        {"huge.exr", "too large: 100000 x 100000 pixels"},
        {"folder.hdr", "not a regular file"}, {"missing.hdr", "missing"},
    };
    for (const auto& [file, cause] : expected) {
        std::string said;
        EXPECT_EQ(loadRescaledEnvironmentImage(scratch.file(file).c_str(), 8, 8, &said), nullptr) << file;
        EXPECT_NE(said.find(cause), std::string::npos) << file << ": " << said;
    }
    FIBITMAP* image = loadRescaledEnvironmentImage(scratch.file("map.exr").c_str(), 8, 8);
    ASSERT_NE(image, nullptr) << "an OpenEXR map is read wherever a map is";
    EXPECT_EQ(FreeImage_GetImageType(image), FIT_RGBF);
    FreeImage_Unload(image);
}

}  // namespace
