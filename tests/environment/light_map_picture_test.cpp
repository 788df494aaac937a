// The light map picture: the cut kept from an extraction, its outlines and brightness marks, and the map's resampling.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "environment/light_cut.h"
#include "environment/light_extractor.h"
#include "environment/light_map_picture.h"

namespace {

using Rgb = std::array<int, 3>;

Rgb pixelAt(const RgbPicture& picture, int x, int y) {
    const std::uint8_t* p = &picture.rgb[(std::size_t(y) * picture.width + x) * 3];
    return {p[0], p[1], p[2]};
}

int countColour(const RgbPicture& picture, Rgb colour, int firstRow, int endRow) {
    int count = 0;
    for (int y = firstRow; y < endRow; ++y) {
        for (int x = 0; x < picture.width; ++x) count += pixelAt(picture, x, y) == colour;
    }
    return count;
}

}  // namespace

TEST(LightMapPicture, TheRecordedCutOutlinesTheSkyAndMarksTheBrightestLightRedWhereItsPixelLies) {
    constexpr int kSize = 256, kColumn = 100, kRow = 200;
    std::vector<float> map(kSize * kSize * 3, 0.0f);
    for (int c = 0; c < 3; ++c) map[(kRow * kSize + kColumn) * 3 + c] = 1000.0f;
    LightExtractor extractor(map.data(), kSize, kSize);
    extractor.split(kLightTreeDepth);
    const std::uint32_t before = lightCut(1).revision;
    recordLightCut(1, extractor.leaves(), kSize, kSize);
    const LightCut& cut = lightCut(1);
    EXPECT_EQ(cut.revision, before + 1) << "a view of the cut knows it changed";
    ASSERT_EQ(cut.count, kDefaultLightCount);

    // Drawn at half the map's size over the map resampled to it: everything lands at half its place.
    constexpr int kHalf = kSize / 2;
    const std::vector<float> small = resampleMap(map.data(), kSize, kSize, kHalf, kHalf);
    const RgbPicture picture =
        drawLightMapPicture(small.data(), kHalf, kHalf, cut.cells, cut.count, cut.width, cut.height, 1);
    ASSERT_EQ(picture.rgb.size(), std::size_t(kHalf * kHalf * 3));
    EXPECT_EQ(pixelAt(picture, kColumn / 2, kRow / 2), (Rgb{255, 0, 0})) << "the brightest light";
    EXPECT_EQ(pixelAt(picture, kColumn / 2 + 2, kRow / 2), (Rgb{0, 0, 0})) << "its rim";
    const Rgb grey{170, 170, 170};
    EXPECT_GT(countColour(picture, grey, kHalf / 2, kHalf), kHalf) << "region outlines over the sky";
    EXPECT_EQ(countColour(picture, grey, 0, kHalf / 2), 0) << "none below the horizon, which is not cut";
    EXPECT_GT(countColour(picture, Rgb{0, 0, 255}, kHalf / 2, kHalf), 0) << "the dark lights' marks are blue";
}

TEST(LightMapPicture, ResamplingAveragesThePixelsWhoseCentresEachTargetPixelCovers) {
    // One row of five grey values down to two: centres 0.5 and 1.5 go left, 2.5 to 4.5 right.
    std::vector<float> row;
    for (float value : {1.0f, 3.0f, 5.0f, 7.0f, 9.0f}) row.insert(row.end(), {value, value, value});
    const std::vector<float> two = resampleMap(row.data(), 5, 1, 2, 1);
    ASSERT_EQ(two.size(), 6u);
    EXPECT_FLOAT_EQ(two[0], 2.0f);
    EXPECT_FLOAT_EQ(two[3], 7.0f);
    // A 4 x 2 map to 2 x 1: each target pixel is the mean of a 2 x 2 block.
    const std::vector<float> block = {0, 0, 0, 4, 4, 4, 8, 8, 8, 8, 8, 8, 4, 4, 4, 0, 0, 0, 8, 8, 8, 0, 0, 0};
    const std::vector<float> halved = resampleMap(block.data(), 4, 2, 2, 1);
    EXPECT_FLOAT_EQ(halved[0], 2.0f);
    EXPECT_FLOAT_EQ(halved[3], 6.0f);
}
