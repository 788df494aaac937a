// OpenEXR header check: recognises the format and reads the data window's size before FreeImage decodes the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// True when the bytes start with the OpenEXR magic number.
bool isOpenExr(const unsigned char* bytes, std::size_t size);

// Reads the first header's "dataWindow" attribute. Empty when the picture
// announced has at most maxPixels pixels; otherwise why it is refused ("too
// large: W x H pixels ...", or a header that ends before its data window).
std::string checkExrHeader(const unsigned char* bytes, std::size_t size, std::uint64_t maxPixels);
