// Map headers and causes: the header check agrees with what FreeImage decodes correctly, and every refusal says why.
#include <gtest/gtest.h>

#include <FreeImage.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <tuple>

#include "environment/environment_map.h"
#include "environment/hdr_header.h"
#include "environment/map_header.h"
#include "support/scratch_directory.h"

namespace {

using S = HdrHeaderStatus;

HdrHeaderCheck check(const std::string& text, std::uint64_t maxPixels = kMaxHdrPixels) {
    return checkHdrHeader(reinterpret_cast<const unsigned char*>(text.data()), text.size(), maxPixels);
}

std::string header(const std::string& sizeLine) {
    return "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n" + sizeLine + "\n" + std::string(64, '\x80');
}

constexpr int kW = 12, kH = 5;
char mantissa(int x, int yFromTop) { return char(128 + x + 10 * yFromTop); }  // one value per pixel

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
            const char m = mantissa(fromLeft ? column : kW - 1 - column, fromTop ? row : kH - 1 - row);
            file += {m, m, m, '\x81'};
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
        for (int x = 0; x < kW; ++x)
            correct = correct && std::floor(row[x].red * 128.0f) == (unsigned char)mantissa(x, y);
    }
    FreeImage_Unload(image);
    return correct;
}

const bool kFreeImageReady = (FreeImage_Initialise(FALSE), true);

TEST(HdrHeader, AcceptsExactlyTheOrientationsLineEndsAndLineLengthsFreeImageDecodesCorrectly) {
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
        EXPECT_EQ(result.status == S::Acceptable, decodesCorrectly(file))
            << file.substr(0, 40) << " -> " << result.cause;
        accepted += result.status == S::Acceptable;
    }
    EXPECT_EQ(accepted, 3);  // "-Y +X" ending in LF or CR LF, and the longest header line
    EXPECT_EQ(check(files[0], kW * kH).status, S::Acceptable);
    EXPECT_EQ(check(files[0], kW * kH - 1).status, S::TooLarge);
}

TEST(HdrHeader, EveryUnusableMapGivesNoImageAndItsCauseAndStopsTheToolsWithStatusOne) {
    for (const char* line : {"-Y 0 +X 4", "-Y 04 +X 4", "-Y -4 +X 4", "-Y 4 +X 4 ", "-Y 4  +X 4", "-Y 4 -Y 4"}) {
        EXPECT_EQ(check(header(line)).status, S::MalformedSize) << line;
    }
    EXPECT_NE(check("").status, S::Acceptable);
    ScratchDirectory scratch;
    std::string overflow = header("-Y " + std::string(45, '5') + "6 +X 4");  // FreeImage read far outside its picture
    for (int i = 0; i < 24; ++i) overflow += "(\xc8\x80<";
    FIBITMAP* map = FreeImage_AllocateT(FIT_RGBF, 64, 32);  // encoded by FreeImage's writer, as the converter does
    ASSERT_TRUE(FreeImage_Save(FIF_HDR, map, "map.hdr", 0));
    ASSERT_TRUE(FreeImage_Save(FIF_EXR, map, "map.exr", 0));
    FreeImage_Unload(map);
    const std::string hdr = readWholeFile("map.hdr");
    const std::string exr = readWholeFile("map.exr");
    std::string hugeExr = exr;
    hugeExr.replace(hugeExr.find("dataWindow") + 29, 8, "\x9f\x86\x01\x00\x9f\x86\x01\x00", 8);  // xMax, yMax 99999
    mkdir("folder.hdr", 0700);
    const std::pair<std::string, std::string> cases[] = {
        // a file of the content, or the named one when none
        {header("-Y 100000 +X 100000"), "too large: 100000 x 100000 pixels"},
        {hugeExr, "too large: 100000 x 100000 pixels"},
        // FreeImage's reader loops for ever on a header cut short after its data window.
        {exr.substr(0, exr.find("dataWindow") + 37), "truncated"},
        {overflow, "too large"},
        {header("-Y 65536 +X 4"), "65535 per side"},
        {header("+X 4 -Y 4"), "orientation \"+X -Y\" is not supported"},
        {header("-Y 4 +X"), "malformed"},
        {"#?RADIANCE\r\n\r\n-Y 4 +X 4\r\n", "CR LF"},
        {"#?RADIANCE\n" + std::string(256, 'x') + "\n\n-Y 4 +X 4\n", "longer than 255 bytes"},
        {"#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n-Y 4 +X 4\n", "truncated"},
        {hdr.substr(0, hdr.size() / 2), "truncated"},
        {std::string("#?RADIANCE\nA\0B\n\n-Y 4 +X 4\n", 26), "not a Radiance"},
        {"BM" + std::string(100, '\1'), "not a Radiance HDR or OpenEXR file"},
        {"", "folder.hdr not a regular file"},
        {"", "missing.hdr missing"}};
    for (const auto& [content, cause] : cases) {
        const std::string file = content.empty() ? cause.substr(0, cause.find(' ')) : "case.hdr";
        scratch.writeFile("case.hdr", content);
        std::string said;
        EXPECT_EQ(loadRescaledEnvironmentImage(file.c_str(), 8, 8, &said), nullptr) << cause;
        EXPECT_NE(said.find(content.empty() ? cause.substr(file.size() + 1) : cause), std::string::npos) << said;
    }
    for (const auto& [tool, file] :
         {std::pair{LUMIVOR_LIGHTS_TOOL, "missing.hdr"}, {LUMIVOR_CONVERT_TOOL, "case.hdr"}}) {
        const std::string out = std::strstr(tool, "convert") ? " out.hdr" : "";
        const int status = std::system((std::string(tool) + " " + file + out + " > said.txt 2>&1").c_str());
        const std::string said = readWholeFile("said.txt");
        ASSERT_TRUE(WIFEXITED(status)) << tool;
        EXPECT_EQ(WEXITSTATUS(status), 1) << tool;
        EXPECT_NE(said.find(file), std::string::npos) << said;
    }
    EXPECT_FALSE(std::ifstream("out.hdr").good());
}

TEST(MapHeader, AHeaderSplitAcrossChunksAsksForMoreBytesThenGivesTheSizeAndTheDecodedLayout) {
    ScratchDirectory scratch;
    FIBITMAP* rgb = FreeImage_AllocateT(FIT_RGBF, 64, 32);
    FIBITMAP* rgba = FreeImage_AllocateT(FIT_RGBAF, 48, 16);
    ASSERT_TRUE(FreeImage_Save(FIF_EXR, rgb, "rgb.exr", 0));
    ASSERT_TRUE(FreeImage_Save(FIF_EXR, rgba, "rgba.exr", 0));
    FreeImage_Unload(rgb);
    FreeImage_Unload(rgba);
    const std::string hdr = header("-Y 24 +X 40");
    for (const auto& [file, format, width, height, rgbOnly] :
         {std::tuple{readWholeFile("rgb.exr"), MapFormat::OpenExr, 64u, 32u, true},
          {readWholeFile("rgba.exr"), MapFormat::OpenExr, 48u, 16u, false},
          {hdr, MapFormat::Radiance, 40u, 24u, true}}) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(file.data());
        MapPicture picture;
        std::string cause;
        EXPECT_EQ(probeMapHeader(bytes, 30, file.size(), kMaxHdrPixels, picture, cause), HeaderProbe::NeedMoreBytes);
        EXPECT_EQ(probeMapHeader(bytes, 30, 30, kMaxHdrPixels, picture, cause), HeaderProbe::Refused);
        EXPECT_NE(cause.find("truncated"), std::string::npos) << cause;
        ASSERT_EQ(probeMapHeader(bytes, file.size(), file.size(), kMaxHdrPixels, picture, cause), HeaderProbe::Known);
        EXPECT_EQ(picture.format, format);
        EXPECT_EQ(picture.width, width);
        EXPECT_EQ(picture.height, height);
        EXPECT_EQ(picture.rgbOnly, rgbOnly);
    }
}

}  // namespace
