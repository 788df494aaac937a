// Map values: an OpenEXR map's NaN, infinite and negative pixels are replaced at load, and standard error counts them.
#include <gtest/gtest.h>

#include <FreeImage.h>

#include <cmath>
#include <limits>

#include "environment/environment_map.h"
#include "environment/map_loading.h"
#include "support/scratch_directory.h"

TEST(MapValues, NanInfiniteAndNegativeExrValuesAreReplacedAtLoadAndCountedByFile) {
    FreeImage_Initialise(FALSE);
    ScratchDirectory scratch;
    constexpr float kInfinity = std::numeric_limits<float>::infinity();
    const FIRGBF written[2][3] = {{{std::nanf(""), 1.5f, 2.0f}, {kInfinity, 0.25f, -kInfinity}, {-2.0f, 0.0f, 7.0f}},
                                  {{1.0f, 2.0f, 3.0f}, {1.0e6f, std::nanf(""), 4.0f}, {0.5f, 0.5f, 0.5f}}};
    FIBITMAP* map = FreeImage_AllocateT(FIT_RGBF, 3, 2);
    for (int row = 0; row < 2; ++row)
        std::copy_n(written[row], 3, reinterpret_cast<FIRGBF*>(FreeImage_GetScanLine(map, row)));
    ASSERT_TRUE(FreeImage_Save(FIF_EXR, map, "sky.exr", EXR_FLOAT));
    FreeImage_Unload(map);

    testing::internal::CaptureStderr();
    FIBITMAP* image = loadEnvironmentImage("sky.exr");
    testing::internal::GetCapturedStderr();
    ASSERT_NE(image, nullptr);
    const FIRGBF* bottom = reinterpret_cast<const FIRGBF*>(FreeImage_GetScanLine(image, 0));
    const FIRGBF* top = reinterpret_cast<const FIRGBF*>(FreeImage_GetScanLine(image, 1));
    EXPECT_EQ(bottom[0].red, 0.0f) << "NaN";
    EXPECT_EQ(bottom[1].red, 65504.0f) << "+infinity";
    EXPECT_EQ(bottom[1].blue, 0.0f) << "-infinity";
    EXPECT_EQ(bottom[2].red, 0.0f) << "negative";
    EXPECT_EQ(top[1].green, 0.0f) << "NaN";
    EXPECT_EQ(top[1].red, 1.0e6f) << "a bright finite value stays";
    EXPECT_EQ(bottom[1].green, 0.25f) << "an ordinary value stays";
    FreeImage_Unload(image);

    // The program's loader says how many it replaced, naming the file; a clean map loads without a word.
    const CancelFlag never{false};
    testing::internal::CaptureStderr();
    EXPECT_TRUE(loadMap("sky.exr", never).loaded());
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Environment map \"sky.exr\": 5 values replaced: 2 NaN by 0, 1 infinite by 65504, 2 negative by 0\n");
    FIBITMAP* clean = FreeImage_AllocateT(FIT_RGBF, 3, 2);
    ASSERT_TRUE(FreeImage_Save(FIF_EXR, clean, "clean.exr", EXR_FLOAT));
    FreeImage_Unload(clean);
    testing::internal::CaptureStderr();
    EXPECT_TRUE(loadMap("clean.exr", never).loaded());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    FreeImage_DeInitialise();
}
