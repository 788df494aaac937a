// lumivor-convert: turns an OpenEXR or Radiance HDR map into a Radiance HDR file that Lumivor reads.
#include <FreeImage.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "environment/environment_map.h"

namespace {

constexpr int kExitFailure = 1;

int fail(const char* what, const char* file) {
    std::fprintf(stderr, "lumivor-convert: %s: %s\n", what, file);
    return kExitFailure;
}

int convert(const char* input, const char* output) {
    // The program's own reader: the same header checks, so absurd or unsupported headers never reach FreeImage.
    std::string cause;
    FIBITMAP* rgb = loadEnvironmentImage(input, &cause);
    if (rgb == nullptr) {
        return fail(cause.c_str(), input);
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
