// RGBImage: packed 8-bit RGB pixels, rows without padding, bottom row of the picture first.
#pragma once

#include <cstdint>
#include <vector>

struct RGBImage {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<unsigned char> data;  // width * height * 3 bytes: R, G, B per pixel
};
