// Image decoder: a glTF image's PNG or JPEG bytes to 8-bit RGBA, top row first, through FreeImage.
#include "model/image_decoder.h"

#include <FreeImage.h>

#include <algorithm>
#include <limits>

namespace {

constexpr unsigned kChannels = 4;
constexpr unsigned kRgbBits = 24;
constexpr unsigned kRgbaBits = 32;
constexpr std::uint8_t kOpaque = 255;

// Owns one FreeImage bitmap.
class Bitmap {
public:
    explicit Bitmap(FIBITMAP* bitmap) : bitmap_(bitmap) {}
    ~Bitmap() {
        if (bitmap_ != nullptr) FreeImage_Unload(bitmap_);
    }
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;
    FIBITMAP* get() const { return bitmap_; }

private:
    FIBITMAP* bitmap_;
};

// Owns a FreeImage memory stream over bytes it does not copy.
class MemoryStream {
public:
    MemoryStream(const std::uint8_t* bytes, std::size_t size)
        : memory_(FreeImage_OpenMemory(const_cast<BYTE*>(bytes), static_cast<DWORD>(size))) {}
    ~MemoryStream() {
        if (memory_ != nullptr) FreeImage_CloseMemory(memory_);
    }
    MemoryStream(const MemoryStream&) = delete;
    MemoryStream& operator=(const MemoryStream&) = delete;
    FIMEMORY* get() const { return memory_; }

private:
    FIMEMORY* memory_;
};

// Only the two formats glTF allows: FreeImage's other readers are never
// handed bytes from a model.
int loadFlags(FREE_IMAGE_FORMAT format) {
    // Pixels as stored: a PNG's gamma chunk does not rescale them.
    return format == FIF_PNG ? PNG_IGNOREGAMMA : JPEG_ACCURATE;
}

}  // namespace

bool decodeModelImage(const std::uint8_t* bytes, std::size_t size, LoadBudget& budget, ModelImage& out,
                      std::string& reason) {
    if (size == 0 || size > std::numeric_limits<DWORD>::max()) {
        reason = "is empty or too large to decode";
        return false;
    }
    MemoryStream memory(bytes, size);
    const FREE_IMAGE_FORMAT format = FreeImage_GetFileTypeFromMemory(
        memory.get(), static_cast<int>(std::min<std::size_t>(size, std::numeric_limits<int>::max())));
    if (format != FIF_PNG && format != FIF_JPEG) {
        reason = "is neither PNG nor JPEG";
        return false;
    }
    unsigned width = 0;
    unsigned height = 0;
    {
        const Bitmap header(FreeImage_LoadFromMemory(format, memory.get(), loadFlags(format) | FIF_LOAD_NOPIXELS));
        if (header.get() != nullptr) {
            width = FreeImage_GetWidth(header.get());
            height = FreeImage_GetHeight(header.get());
        }
    }
    if (width == 0 || height == 0) {
        reason = "does not decode";
        return false;
    }
    if (width > kMaxImageSide || height > kMaxImageSide) {
        reason = "is " + std::to_string(width) + " x " + std::to_string(height) + " pixels, larger than " +
                 std::to_string(kMaxImageSide) + " on a side";
        return false;
    }
    if (!budget.tryCharge(static_cast<std::uint64_t>(width) * height, kChannels)) {
        reason = "is " + std::to_string(width) + " x " + std::to_string(height) +
                 " pixels, more than the memory left for the model";
        return false;
    }
    FreeImage_SeekMemory(memory.get(), 0, SEEK_SET);
    const Bitmap decoded(FreeImage_LoadFromMemory(format, memory.get(), loadFlags(format)));
    if (decoded.get() == nullptr || FreeImage_GetWidth(decoded.get()) != width ||
        FreeImage_GetHeight(decoded.get()) != height) {
        reason = "does not decode";
        return false;
    }
    // 8-bit RGB and RGBA are copied as they are; 16-bit, grey and palette
    // pictures become 8-bit RGBA through FreeImage first.
    const unsigned bitsPerPixel = FreeImage_GetBPP(decoded.get());
    const bool direct =
        FreeImage_GetImageType(decoded.get()) == FIT_BITMAP && (bitsPerPixel == kRgbBits || bitsPerPixel == kRgbaBits);
    const Bitmap standard(direct || FreeImage_GetImageType(decoded.get()) == FIT_BITMAP
                              ? nullptr
                              : FreeImage_ConvertToType(decoded.get(), FIT_BITMAP, TRUE));
    const Bitmap converted(
        direct ? nullptr : FreeImage_ConvertTo32Bits(standard.get() != nullptr ? standard.get() : decoded.get()));
    FIBITMAP* pixels = direct ? decoded.get() : converted.get();
    if (pixels == nullptr) {
        reason = "does not convert to 8-bit RGBA";
        return false;
    }
    const unsigned sourceChannels = FreeImage_GetBPP(pixels) / 8;
    out.width = static_cast<int>(width);
    out.height = static_cast<int>(height);
    out.rgba.resize(static_cast<std::size_t>(width) * height * kChannels);
    // FreeImage keeps the bottom row first; the model's images keep the top row first.
    for (unsigned row = 0; row < height; ++row) {
        const BYTE* source = FreeImage_GetScanLine(pixels, static_cast<int>(height - 1 - row));
        std::uint8_t* target = &out.rgba[static_cast<std::size_t>(row) * width * kChannels];
        for (unsigned x = 0; x < width; ++x, source += sourceChannels, target += kChannels) {
            target[0] = source[FI_RGBA_RED];
            target[1] = source[FI_RGBA_GREEN];
            target[2] = source[FI_RGBA_BLUE];
            target[3] = sourceChannels == kChannels ? source[FI_RGBA_ALPHA] : kOpaque;
        }
    }
    return true;
}
