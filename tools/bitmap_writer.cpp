// Bitmap writer: 14-byte file header, 40-byte info header and blue-green-red rows padded to four bytes.
#include "tools/bitmap_writer.h"

#include <cstdint>
#include <fstream>

#include "environment/dib_decoder.h"

namespace {

constexpr std::uint16_t kBitsPerPixel = 24;
constexpr std::int32_t kPixelsPerMetre = 2835;  // 72 dots per inch

void putU16(std::vector<unsigned char>& out, std::uint16_t value) {
    out.push_back(static_cast<unsigned char>(value));
    out.push_back(static_cast<unsigned char>(value >> 8));
}

void putU32(std::vector<unsigned char>& out, std::uint32_t value) {
    putU16(out, static_cast<std::uint16_t>(value));
    putU16(out, static_cast<std::uint16_t>(value >> 16));
}

}  // namespace

bool writeBitmap24(const std::string& path, int width, int height, const std::vector<unsigned char>& rgb) {
    const std::uint32_t stride = (static_cast<std::uint32_t>(width) * 3 + 3) / 4 * 4;
    const std::uint32_t pixelBytes = stride * static_cast<std::uint32_t>(height);
    const std::uint32_t pixelOffset = kDibFileHeaderSize + kDibInfoHeaderSize;

    std::vector<unsigned char> file;
    file.reserve(pixelOffset + pixelBytes);
    file.push_back('B');
    file.push_back('M');
    putU32(file, pixelOffset + pixelBytes);
    putU32(file, 0);  // reserved
    putU32(file, pixelOffset);
    putU32(file, kDibInfoHeaderSize);
    putU32(file, static_cast<std::uint32_t>(width));
    putU32(file, static_cast<std::uint32_t>(height));
    putU16(file, 1);  // planes
    putU16(file, kBitsPerPixel);
    putU32(file, 0);  // uncompressed
    putU32(file, pixelBytes);
    putU32(file, kPixelsPerMetre);
    putU32(file, kPixelsPerMetre);
    putU32(file, 0);  // colours used
    putU32(file, 0);  // colours important
    for (int row = 0; row < height; ++row) {
        for (int x = 0; x < width; ++x) {
            const unsigned char* pixel = rgb.data() + (static_cast<std::size_t>(row) * width + x) * 3;
            file.push_back(pixel[2]);
            file.push_back(pixel[1]);
            file.push_back(pixel[0]);
        }
        file.resize(file.size() + (stride - static_cast<std::uint32_t>(width) * 3), 0);
    }

    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    return static_cast<bool>(out);
}
