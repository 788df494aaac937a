// Radiance HDR header check: maps as FreeImage writes them pass; malformed or absurd size lines never reach FreeImage.
#include <gtest/gtest.h>

#include <FreeImage.h>

#include <string>
#include <vector>

#include "environment/environment_map.h"
#include "environment/hdr_header.h"
#include "support/scratch_directory.h"

namespace {

bool acceptable(const std::string& text, std::uint64_t maxPixels = kMaxHdrPixels) {
    return hdrHeaderAcceptable(reinterpret_cast<const unsigned char*>(text.data()), text.size(), maxPixels);
}

std::string header(const std::string& sizeLine) {
    return "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n" + sizeLine + "\n" + std::string(64, '\x80');
}

// A small map encoded by FreeImage's own writer, as the converter writes ours.
std::string savedMap(int width, int height) {
    FIBITMAP* image = FreeImage_AllocateT(FIT_RGBF, width, height);
    FIMEMORY* memory = FreeImage_OpenMemory();
    EXPECT_TRUE(FreeImage_SaveToMemory(FIF_HDR, image, memory, 0));
    BYTE* data = nullptr;
    DWORD size = 0;
    FreeImage_AcquireMemory(memory, &data, &size);
    std::string bytes(reinterpret_cast<const char*>(data), size);
    FreeImage_CloseMemory(memory);
    FreeImage_Unload(image);
    return bytes;
}

TEST(HdrHeader, MapsFreeImageWritesAreAcceptedWithinThePixelLimit) {
    FreeImage_Initialise(FALSE);
    EXPECT_TRUE(acceptable(savedMap(40, 20)));
    EXPECT_TRUE(acceptable(savedMap(40, 20), 800));
    EXPECT_FALSE(acceptable(savedMap(40, 20), 799));
    EXPECT_TRUE(acceptable(header("-Y 2048 +X 32767")));
    EXPECT_TRUE(acceptable("#?RGBE\n# comment\nEXPOSURE=1.0\n\n-Y 1 +X 1\n"));
}

TEST(HdrHeader, MalformedHeadersAndAbsurdSizesAreRefused) {
    const std::string refused[] = {
        header("-Y 5555555555555555555555555555555555555556 +X 4"),  // overflows int
        header("-Y 4294967300 +X 4"),
        header("-Y 32768 +X 4"),
        header("-Y 16384 +X 16384"),  // each side fine, the product not
        header("-Y 0 +X 4"),
        header("-Y 04 +X 4"),
        header("-Y -4 +X 4"),
        header("-Y +4 +X 4"),
        header("-Y 4 +X 4 "),
        header("-Y 4  +X 4"),
        header("+Y 4 +X 4"),
        header("-Y 4 +X"),
        "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n-Y 4 +X 4\n",  // no empty line before the size
        "RADIANCE\n\n-Y 4 +X 4\n",                          // no "#?" line
        "#?RADIANCE\n" + std::string(kMaxHdrHeaderLine + 1, 'x') + "\n\n-Y 4 +X 4\n",
        std::string("#?RADIANCE\nA\0B\n\n-Y 4 +X 4\n", 26),
        "#?RADIANCE\n\n-Y 4 +X 4",  // the size line never ends
        "",
    };
    for (const std::string& text : refused) {
        EXPECT_FALSE(acceptable(text)) << text.substr(0, 80);
    }
    EXPECT_FALSE(hdrHeaderAcceptable(nullptr, 0));
}

TEST(HdrHeader, AnOverflowingSizeLineGivesNoImageInsteadOfCrashingTheReader) {
    // Found by fuzz_hdr: FreeImage read far outside its picture for this size.
    std::string file = "#?RADIANCE\n# seed\nFORMAT=32-bit_rle_rgbe\nEXPOSURE=1.0\n\n-Y " + std::string(45, '5') +
                       "6 +X 4\n";
    for (int i = 0; i < 24; ++i) {
        file += "(\xc8\x80<";
    }
    FreeImage_Initialise(FALSE);
    ScratchDirectory scratch;
    scratch.writeFile("overflow.hdr", file);
    EXPECT_EQ(loadRescaledEnvironmentImage("overflow.hdr", 8, 8), nullptr);
    EXPECT_EQ(loadRescaledEnvironmentImageFromMemory(reinterpret_cast<const unsigned char*>(file.data()), file.size(),
                                                     8, 8),
              nullptr);
}

}  // namespace
