// Radiance maps written by tests: header, then per scanline the run-length marker and four channels of runs.
#include "support/radiance_map.h"

#include <cmath>
#include <cstdlib>

std::string discMap(int width, int height, int cx, int cy, int radius) {
    const std::string dim = "\xCC\xCC\xCC\x7C", bright = "\xFA\xFA\xFA\x8A";  // grey 0.05 and 1000 as R, G, B, E
    std::string file =
        "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y " + std::to_string(height) + " +X " + std::to_string(width) + "\n";
    for (int y = 0; y < height; ++y) {
        const int dy = y - cy, half = std::abs(dy) <= radius ? int(std::sqrt(double(radius * radius - dy * dy))) : -1;
        file += {2, 2, char(width >> 8), char(width & 0xff)};
        for (int c = 0; c < 4; ++c) {
            // Runs of at most 127 equal bytes, channel by channel.
            for (int x = 0, run = 1; x < width; x += run, run = 1) {
                const bool inside = std::abs(x - cx) <= half;
                while (x + run < width && run < 127 && (std::abs(x + run - cx) <= half) == inside) ++run;
                file += {char(128 + run), (inside ? bright : dim)[c]};
            }
        }
    }
    return file;
}
