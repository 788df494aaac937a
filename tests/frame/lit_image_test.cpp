// The lit image as the reference comparison reads it: the sky filled in where no ground carries it, and the resolve.
#include <gtest/gtest.h>

#include "frame/lit_image.h"

TEST(LitImageTest, SkyFillsWhatTheLightingLeftExceptGroundThatCarriesTheEnvironment) {
    // Pixel 0: an object (lit alpha 1, black sky silhouette); pixel 1: background (nothing lit, sky alpha 1);
    // pixel 2: ground (the lighting raised alpha to 2: it already shows the environment).
    const std::vector<float> lit = {0.5f, 0.25f, 0.125f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.3f, 0.2f, 0.1f, 2.0f};
    const std::vector<float> sky = {0.0f, 0.0f, 0.0f, 0.0f, 2.0f, 3.0f, 4.0f, 1.0f, 9.0f, 9.0f, 9.0f, 1.0f};
    const LitImage image = combineWithSky(lit, sky, 3, 1, 1);
    EXPECT_EQ(image.rgb, (std::vector<float>{0.5f, 0.25f, 0.125f, 2.0f, 3.0f, 4.0f, 0.3f, 0.2f, 0.1f}));
}

TEST(LitImageTest, SupersampledImagesAreAveragedInBlocksToTheWindowSize) {
    // A 4 x 2 lit image with nothing of the sky: two 2 x 2 blocks.
    std::vector<float> lit;
    for (float value : {1.0f, 3.0f, 10.0f, 30.0f, 5.0f, 7.0f, 50.0f, 70.0f}) lit.insert(lit.end(), {value, 0, 0, 2});
    const LitImage image = combineWithSky(lit, std::vector<float>(lit.size(), 0.0f), 4, 2, 2);
    EXPECT_EQ(image.width, 2);
    EXPECT_EQ(image.height, 1);
    EXPECT_EQ(image.rgb, (std::vector<float>{4.0f, 0.0f, 0.0f, 40.0f, 0.0f, 0.0f}));
}
