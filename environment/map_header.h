// Map headers: the format of a map file and the picture size it announces, read from the file's first bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

enum class MapFormat { Radiance, OpenExr };

struct MapPicture {
    MapFormat format = MapFormat::Radiance;
    std::uint64_t width = 0;
    std::uint64_t height = 0;
    // FreeImage decodes the picture straight into three floats per pixel;
    // otherwise into four (or another layout) that is then converted.
    bool rgbOnly = true;
};

enum class HeaderProbe {
    Known,          // picture is set
    NeedMoreBytes,  // the bytes end inside the header and the file goes on
    Refused,        // cause says why, in words for the user
};

// Reads the header from the first size bytes of a file of fileSize bytes. A
// file that starts with the OpenEXR magic number is OpenEXR, anything else
// Radiance HDR; either must announce at most maxPixels pixels (see
// hdr_header.h and exr_header.h for what else each must satisfy).
HeaderProbe probeMapHeader(const unsigned char* bytes, std::size_t size, std::size_t fileSize, std::uint64_t maxPixels,
                           MapPicture& picture, std::string& cause);
