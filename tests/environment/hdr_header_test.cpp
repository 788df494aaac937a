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

using S = HdrHeaderStatus;

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

constexpr int kW = 12, kH = 5;
float value(int x, int yFromTop) { return 1.0f + float(x) + 100.0f * float(yFromTop); }

// A flat kW x kH file stored in the order its size line announces: "-Y" scanlines from the top,
// "+X" pixels from the left, an "X" axis first for column-major files.
std::string orientedFile(const std::string& headerEnd, const char* orientation, const std::string& sizeEnd) {
    const bool rowsFirst = orientation[1] == 'Y';
    const bool fromTop = (rowsFirst ? orientation[0] : orientation[3]) == '-';
    const bool fromLeft = (rowsFirst ? orientation[3] : orientation[0]) == '+';
    std::string sizeLine = orientation;
    sizeLine.insert(2, " " + std::to_string(rowsFirst ? kH : kW));
    std::string file = "#?RADIANCE" + headerEnd + "FORMAT=32-bit_rle_rgbe" + headerEnd + headerEnd + sizeLine + " " +
                       std::to_string(rowsFirst ? kW : kH) + sizeEnd;
    for (int a = 0; a < (rowsFirst ? kH : kW); ++a) {
        for (int b = 0; b < (rowsFirst ? kW : kH); ++b) {
            const int row = rowsFirst ? a : b, column = rowsFirst ? b : a;
            int exponent = 0;
            const float v = value(fromLeft ? column : kW - 1 - column, fromTop ? row : kH - 1 - row);
            const char m = char((unsigned char)(std::frexp(v, &exponent) * 256.0f));
            file += {m, m, m, char(exponent + 128)};
        }
    }
    return file;
}

// True when FreeImage's reader gives the picture as it is meant.
bool decodesCorrectly(const std::string& file) {
    FIMEMORY* memory = FreeImage_OpenMemory((BYTE*)file.data(), DWORD(file.size()));
    FIBITMAP* image = FreeImage_LoadFromMemory(FIF_HDR, memory, 0);
    FreeImage_CloseMemory(memory);
    bool correct = image != nullptr && FreeImage_GetWidth(image) == kW && FreeImage_GetHeight(image) == kH;
    for (int y = 0; correct && y < kH; ++y) {
        const FIRGBF* row = reinterpret_cast<const FIRGBF*>(FreeImage_GetScanLine(image, kH - 1 - y));
        for (int x = 0; x < kW; ++x) correct = correct && std::fabs(row[x].red - value(x, y)) < 0.01f * value(x, y);
    }
    FreeImage_Unload(image);
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
        for (const auto& [headerEnd, sizeEnd] : {std::pair{"\n", "\n"}, {"\n", "\r\n"}, {"\r\n", "\r\n"}}) {
            files.push_back(orientedFile(headerEnd, orientation, sizeEnd));
        }
    }
    for (std::size_t length : {kMaxHdrHeaderLine, kMaxHdrHeaderLine + 1}) {
        std::string file = orientedFile("\n", "-Y +X", "\n");
        files.push_back(file.insert(file.find('\n') + 1, std::string(length, 'x') + "\n"));
    }
    int accepted = 0;
    for (const std::string& file : files) {
        const HdrHeaderCheck result = check(file);
        EXPECT_EQ(result.status == S::Acceptable, decodesCorrectly(file)) << file.substr(0, 40) << " -> " << result.cause;
        accepted += result.status == S::Acceptable;
    }
    EXPECT_EQ(accepted, 3);  // "-Y +X" ending in LF or CR LF, and the longest header line
    EXPECT_EQ(check(savedMap(40, 20), 800).status, S::Acceptable);
    EXPECT_EQ(check(savedMap(40, 20), 799).status, S::TooLarge);
}

TEST_F(HdrHeader, EachRefusalNamesWhatIsNotSupported) {
    const std::string malformed[] = {"-Y 0 +X 4", "-Y 04 +X 4", "-Y -4 +X 4", "-Y 4 +X 4 ",
                                     "-Y 4  +X 4", "-Y 4 -Y 4", "-Y 4 +X"};
    for (const std::string& line : malformed) EXPECT_EQ(check(header(line)).status, S::MalformedSize) << line;
    const struct {
        std::string text;
        S status;
        const char* cause;
    } cases[] = {
        {header("-Y 100000 +X 100000"), S::TooLarge, "too large: 100000 x 100000 pixels"},
        {header("-Y " + std::string(45, '5') + "6 +X 4"), S::TooLarge, "too large"},
        {header("-Y 65536 +X 4"), S::TooLarge, "65535 per side"},
        {header("-Y 32768 +X 32768"), S::TooLarge, "32768 x 32768"},
        {header("+Y 4 +X 4"), S::UnsupportedOrientation, "orientation \"+Y +X\" is not supported"},
        {header("+X 4 -Y 4"), S::UnsupportedOrientation, "\"+X -Y\""},
        {header("-Y 4 +X"), S::MalformedSize, "malformed"},
        {"#?RADIANCE\r\n\r\n-Y 4 +X 4\r\n", S::WindowsLineEnds, "CR LF"},
        {"#?RADIANCE\n" + std::string(256, 'x') + "\n\n-Y 4 +X 4\n", S::LineTooLong, "longer than 255 bytes"},
        {"#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n-Y 4 +X 4\n", S::Truncated, "truncated"},
        {"#?RADIANCE\n\n-Y 4 +X 4", S::Truncated, "truncated"},
        {std::string("#?RADIANCE\nA\0B\n\n-Y 4 +X 4\n", 26), S::NotRadiance, "not a Radiance"},
        {"RADIANCE\n\n-Y 4 +X 4\n", S::NotRadiance, "not a Radiance"},
        {"", S::NotRadiance, "empty"},
    };
    for (const auto& c : cases) {
        const HdrHeaderCheck result = check(c.text);
        EXPECT_TRUE(result.status == c.status && result.cause.find(c.cause) != std::string::npos) << result.cause;
    }
    EXPECT_FALSE(hdrHeaderAcceptable(nullptr, 0));
}

TEST_F(HdrHeader, AMapThatCannotBeUsedGivesNoImageAndItsRealCause) {
    ScratchDirectory scratch;
    std::string overflow = header("-Y " + std::string(45, '5') + "6 +X 4");  // FreeImage read far outside its picture
    for (int i = 0; i < 24; ++i) overflow += "(\xc8\x80<";
    scratch.writeFile("overflow.hdr", overflow);
    scratch.writeFile("huge.hdr", header("-Y 100000 +X 100000"));
    const std::string map = savedMap(64, 32), exr = savedMap(64, 32, FIF_EXR);
    scratch.writeFile("cut.hdr", map.substr(0, map.size() / 2));
    scratch.writeFile("empty.hdr", "");
    scratch.writeFile("picture.hdr", "BM" + std::string(100, '\1'));
    scratch.writeFile("map.exr", exr);
    std::string hugeExr = exr;
    const std::size_t window = hugeExr.find("dataWindow");
    ASSERT_NE(window, std::string::npos);
    hugeExr.replace(window + 29, 8, std::string("\x9f\x86\x01\x00\x9f\x86\x01\x00", 8));  // xMax, yMax 99999
    scratch.writeFile("huge.exr", hugeExr);
    mkdir(scratch.file("folder.hdr").c_str(), 0700);
    for (const auto& [file, cause] : {std::pair{"overflow.hdr", "too large"},
                                      {"huge.hdr", "too large: 100000 x 100000 pixels"}, {"cut.hdr", "truncated"},
                                      {"empty.hdr", "empty"}, {"picture.hdr", "not a Radiance HDR or OpenEXR file"},
                                      {"huge.exr", "too large: 100000 x 100000 pixels"},
                                      {"folder.hdr", "not a regular file"}, {"missing.hdr", "missing"}}) {
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
