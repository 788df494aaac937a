// Bitmap writer: stores packed RGB pixels as an uncompressed 24-bit "BM" file.
#pragma once

#include <string>
#include <vector>

// rgb holds width * height pixels as R, G, B, bottom row first. False when
// the file cannot be written.
bool writeBitmap24(const std::string& path, int width, int height, const std::vector<unsigned char>& rgb);
