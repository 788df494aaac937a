// lumivor-psnr: the peak signal-to-noise ratio between two pictures of the same size, optionally leaving out a region.
//
//   lumivor-psnr PICTURE REFERENCE [MASK_A MASK_B]
//
// Prints the PSNR in dB of the 8-bit RGB values of PICTURE against REFERENCE
// ("inf" where they are equal). With MASK_A and MASK_B, the pixels where those
// two pictures differ are left out: two runs of the reference program that
// differ in one thing only (a changed mesh) mark where that thing shows.
#include <FreeImage.h>

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;  // rows bottom first, three bytes a pixel
};

bool load(const char* path, Picture& picture) {
    const FREE_IMAGE_FORMAT format = FreeImage_GetFileType(path, 0);
    if (format == FIF_UNKNOWN) {
        std::fprintf(stderr, "lumivor-psnr: %s: not a picture FreeImage can read\n", path);
        return false;
    }
    FIBITMAP* loaded = FreeImage_Load(format, path, 0);
    if (loaded == nullptr) {
        std::fprintf(stderr, "lumivor-psnr: %s: cannot be read\n", path);
        return false;
    }
    FIBITMAP* converted = FreeImage_ConvertTo24Bits(loaded);
    FreeImage_Unload(loaded);
    if (converted == nullptr) {
        std::fprintf(stderr, "lumivor-psnr: %s: cannot be converted to RGB\n", path);
        return false;
    }
    picture.width = static_cast<int>(FreeImage_GetWidth(converted));
    picture.height = static_cast<int>(FreeImage_GetHeight(converted));
    picture.rgb.resize(static_cast<std::size_t>(picture.width) * picture.height * 3);
    for (int y = 0; y < picture.height; ++y) {
        const BYTE* row = FreeImage_GetScanLine(converted, y);
        for (int x = 0; x < picture.width; ++x) {
            unsigned char* out = &picture.rgb[(static_cast<std::size_t>(y) * picture.width + x) * 3];
            out[0] = row[x * 3 + FI_RGBA_RED];
            out[1] = row[x * 3 + FI_RGBA_GREEN];
            out[2] = row[x * 3 + FI_RGBA_BLUE];
        }
    }
    FreeImage_Unload(converted);
    return true;
}

bool sameSize(const Picture& a, const Picture& b, const char* pathB) {
    if (a.width == b.width && a.height == b.height) {
        return true;
    }
    std::fprintf(stderr, "lumivor-psnr: %s is %d x %d, not %d x %d\n", pathB, b.width, b.height, a.width, a.height);
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 5) {
        std::fprintf(stderr, "usage: %s PICTURE REFERENCE [MASK_A MASK_B]\n", argv[0]);
        return 2;
    }
    FreeImage_Initialise(FALSE);
    Picture picture, reference, maskA, maskB;
    bool ok = load(argv[1], picture) && load(argv[2], reference) && sameSize(picture, reference, argv[2]);
    const bool masked = argc == 5;
    if (ok && masked) {
        ok = load(argv[3], maskA) && load(argv[4], maskB) && sameSize(picture, maskA, argv[3]) &&
             sameSize(picture, maskB, argv[4]);
    }
    FreeImage_DeInitialise();
    if (!ok) {
        return 1;
    }

    double squaredError = 0.0;
    long long counted = 0;
    long long leftOut = 0;
    for (std::size_t i = 0; i < picture.rgb.size(); i += 3) {
        if (masked && (maskA.rgb[i] != maskB.rgb[i] || maskA.rgb[i + 1] != maskB.rgb[i + 1] ||
                       maskA.rgb[i + 2] != maskB.rgb[i + 2])) {
            ++leftOut;
            continue;
        }
        for (std::size_t c = 0; c < 3; ++c) {
            const double d = static_cast<double>(picture.rgb[i + c]) - static_cast<double>(reference.rgb[i + c]);
            squaredError += d * d;
        }
        ++counted;
    }
    if (counted == 0) {
        std::printf("no pixels compared (%lld left out)\n", leftOut);
        return 0;
    }
    const double meanSquaredError = squaredError / (3.0 * static_cast<double>(counted));
    if (meanSquaredError == 0.0) {
        std::printf("inf dB over %lld pixels (%lld left out)\n", counted, leftOut);
    } else {
        std::printf("%.2f dB over %lld pixels (%lld left out)\n", 10.0 * std::log10(255.0 * 255.0 / meanSquaredError),
                    counted, leftOut);
    }
    return 0;
}
