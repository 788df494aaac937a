// lumivor-convert: turns an OpenEXR or Radiance HDR map into a Radiance HDR file that Lumivor reads.
#include <FreeImage.h>

#include <cstdio>
#include <cstring>

#include "environment/hdr_header.h"
#include "platform/file_mapping.h"

namespace {

constexpr int kExitFailure = 1;

int fail(const char* what, const char* file) {
    std::fprintf(stderr, "lumivor-convert: %s: %s\n", what, file);
    return kExitFailure;
}

// Format from the file's content first, its name second.
FREE_IMAGE_FORMAT formatOf(const char* file) {
    FREE_IMAGE_FORMAT format = FreeImage_GetFileType(file, 0);
    if (format == FIF_UNKNOWN) {
        format = FreeImage_GetFIFFromFilename(file);
    }
    return format;
}

int convert(const char* input, const char* output) {
    std::FILE* probe = std::fopen(input, "rb");
    if (probe == nullptr) {
        return fail("cannot open input", input);
    }
    std::fclose(probe);
    const FREE_IMAGE_FORMAT format = formatOf(input);
    if (format != FIF_EXR && format != FIF_HDR) {
        return fail("not an OpenEXR or Radiance HDR image", input);
    }
    if (format == FIF_HDR) {
        // FreeImage's reader trusts the size line; absurd or unsupported headers never reach it.
        FileMapping file;
        if (!file.open(input)) {
            return fail(file.failure().c_str(), input);
        }
        const HdrHeaderCheck header = checkHdrHeader(file.data(), file.size());
        if (header.status != HdrHeaderStatus::Acceptable) {
            return fail(header.cause.c_str(), input);
        }
    }
    FIBITMAP* image = FreeImage_Load(format, input, 0);
    if (image == nullptr) {
        return fail("cannot read image", input);
    }
    FIBITMAP* rgb = FreeImage_ConvertToRGBF(image);
    FreeImage_Unload(image);
    if (rgb == nullptr) {
        return fail("cannot convert to RGB floats", input);
    }
    const bool saved = FreeImage_Save(FIF_HDR, rgb, output, 0) != FALSE;
    FreeImage_Unload(rgb);
    if (!saved) {
        return fail("cannot write Radiance HDR file", output);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::printf(
            "usage: lumivor-convert IN.exr|IN.hdr OUT.hdr\n"
            "Converts an OpenEXR or Radiance HDR latitude-longitude map to Radiance HDR (RGB floats).\n");
        return 0;
    }
    if (argc != 3) {
        std::fprintf(stderr, "usage: lumivor-convert IN.exr|IN.hdr OUT.hdr\n");
        return kExitFailure;
    }
    FreeImage_Initialise(FALSE);
    const int status = convert(argv[1], argv[2]);
    FreeImage_DeInitialise();
    return status;
}
