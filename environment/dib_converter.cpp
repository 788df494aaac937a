// DIB pixel converter: 1-, 4- and 8-bit palettised, 16-, 24- and 32-bit direct colour, bit-field masks, RLE4 and RLE8.
#include "environment/dib_converter.h"

#include <cstdlib>
#include <new>

namespace {

constexpr std::size_t kBytesPerPixel = 3;
constexpr std::uint32_t kRed555Mask = 0x7C00;
constexpr std::uint32_t kGreen555Mask = 0x03E0;
constexpr std::uint32_t kBlue555Mask = 0x001F;
constexpr std::uint32_t kRed888Mask = 0x00FF0000;
constexpr std::uint32_t kGreen888Mask = 0x0000FF00;
constexpr std::uint32_t kBlue888Mask = 0x000000FF;
// Escape codes that follow a zero count in run-length data.
constexpr unsigned kRleEndOfLine = 0;
constexpr unsigned kRleEndOfBitmap = 1;
constexpr unsigned kRleDelta = 2;

struct Masks {
    std::uint32_t red;
    std::uint32_t green;
    std::uint32_t blue;
};

// Expands the field under mask to 0..255; an empty mask gives 0.
unsigned char scaleField(std::uint32_t pixel, std::uint32_t mask) {
    if (mask == 0) {
        return 0;
    }
    const int shift = __builtin_ctz(mask);
    const std::uint64_t maximum = mask >> shift;
    const std::uint64_t value = (pixel & mask) >> shift;
    return static_cast<unsigned char>(value * 255 / maximum);
}

class PixelSink {
public:
    explicit PixelSink(RGBImage& image) : image_(image) {}

    void putRgb(std::uint64_t x, std::uint64_t row, unsigned char r, unsigned char g, unsigned char b) {
        // Runs and deltas may point past the picture: such pixels are dropped.
        if (x >= static_cast<std::uint64_t>(image_.width) || row >= static_cast<std::uint64_t>(image_.height)) {
            return;
        }
        unsigned char* out = image_.data.data() + (row * image_.width + x) * kBytesPerPixel;
        out[0] = r;
        out[1] = g;
        out[2] = b;
    }

    void putColour(std::uint64_t x, std::uint64_t row, std::uint32_t rgb) {
        putRgb(x, row, static_cast<unsigned char>(rgb >> 16), static_cast<unsigned char>(rgb >> 8),
               static_cast<unsigned char>(rgb));
    }

private:
    RGBImage& image_;
};

// Indices beyond the colour table come out black.
std::uint32_t paletteColour(const DibDescription& description, unsigned index) {
    return index < description.colours.size() ? description.colours[index] : 0;
}

Masks directColourMasks(const DibDescription& description) {
    if (description.compression == kDibBitFields) {
        return {description.redMask, description.greenMask, description.blueMask};
    }
    if (description.bitCount == 16) {
        return {kRed555Mask, kGreen555Mask, kBlue555Mask};
    }
    return {kRed888Mask, kGreen888Mask, kBlue888Mask};
}

bool isSupportedLayout(const DibDescription& description) {
    switch (description.compression) {
        case kDibUncompressed:
            switch (description.bitCount) {
                case 1:
                case 4:
                case 8:
                case 16:
                case 24:
                case 32:
                    return true;
                default:
                    return false;
            }
        case kDibRle8:
            return description.bitCount == 8 && description.height > 0;
        case kDibRle4:
            return description.bitCount == 4 && description.height > 0;
        case kDibBitFields:
            return description.bitCount == 16 || description.bitCount == 32;
        default:
            return false;
    }
}

// Stored rows are padded to a multiple of four bytes.
std::uint64_t storedRowBytes(const DibDescription& description) {
    return (description.bitCount * static_cast<std::uint64_t>(description.width) + 31) / 32 * 4;
}

// The caller has checked that all stored rows are there.
DibError convertUncompressed(const DibDescription& description, const unsigned char* pixels, RGBImage& image) {
    const std::uint64_t width = static_cast<std::uint64_t>(description.width);
    const std::uint64_t rows = static_cast<std::uint64_t>(image.height);
    const bool topDown = description.height < 0;
    const std::uint64_t stride = storedRowBytes(description);
    const Masks masks = directColourMasks(description);
    PixelSink sink(image);
    for (std::uint64_t stored = 0; stored < rows; ++stored) {
        const unsigned char* source = pixels + stored * stride;
        const std::uint64_t row = topDown ? rows - 1 - stored : stored;
        for (std::uint64_t x = 0; x < width; ++x) {
            switch (description.bitCount) {
                case 1:
                    sink.putColour(x, row, paletteColour(description, (source[x / 8] >> (7 - x % 8)) & 0x1));
                    break;
                case 4:
                    sink.putColour(x, row, paletteColour(description, (source[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0xF));
                    break;
                case 8:
                    sink.putColour(x, row, paletteColour(description, source[x]));
                    break;
                case 16: {
                    const std::uint32_t value = source[x * 2] | (source[x * 2 + 1] << 8);
                    sink.putRgb(x, row, scaleField(value, masks.red), scaleField(value, masks.green),
                                scaleField(value, masks.blue));
                    break;
                }
                case 24:
                    sink.putRgb(x, row, source[x * 3 + 2], source[x * 3 + 1], source[x * 3]);
                    break;
                default: {  // 32
                    const unsigned char* p = source + x * 4;
                    const std::uint32_t value = p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t{p[3]} << 24);
                    sink.putRgb(x, row, scaleField(value, masks.red), scaleField(value, masks.green),
                                scaleField(value, masks.blue));
                    break;
                }
            }
        }
    }
    return DibError::None;
}

// Byte source for run-length data that refuses to read past its end.
class RleStream {
public:
    RleStream(const unsigned char* bytes, std::size_t length) : bytes_(bytes), length_(length) {}

    bool read(unsigned& value) {
        if (position_ >= length_) {
            return false;
        }
        value = bytes_[position_++];
        return true;
    }
    void skip(std::size_t count) { position_ += count; }

private:
    const unsigned char* bytes_;
    std::size_t length_;
    std::size_t position_ = 0;
};

// Run-length data: (count, index) runs, end-of-line, delta, end-of-bitmap and
// absolute runs padded to a 16-bit boundary. Pixels no code reaches stay black;
// runs past the row end and jumps out of the picture mark corrupt data.
DibError convertRunLength(const DibDescription& description, const unsigned char* pixels, std::size_t available,
                          RGBImage& image) {
    const bool fourBit = description.compression == kDibRle4;
    const std::uint64_t rows = static_cast<std::uint64_t>(image.height);
    const std::uint64_t width = static_cast<std::uint64_t>(image.width);
    PixelSink sink(image);
    RleStream stream(pixels, available);
    std::uint64_t x = 0;
    std::uint64_t row = 0;
    while (row < rows) {
        unsigned count = 0;
        unsigned value = 0;
        if (!stream.read(count) || !stream.read(value)) {
            return DibError::ConversionError;  // data end before the picture does
        }
        if (count > 0) {
            if (x + count > width) {
                return DibError::ConversionError;  // a run spilling over the row end is corrupt
            }
            for (unsigned i = 0; i < count; ++i, ++x) {
                const unsigned index = fourBit ? (i % 2 == 0 ? value >> 4 : value & 0xF) : value;
                sink.putColour(x, row, paletteColour(description, index));
            }
            continue;
        }
        if (value == kRleEndOfLine) {
            x = 0;
            ++row;
        } else if (value == kRleEndOfBitmap) {
            break;
        } else if (value == kRleDelta) {
            unsigned right = 0;
            unsigned upward = 0;
            if (!stream.read(right) || !stream.read(upward)) {
                return DibError::ConversionError;
            }
            x += right;
            row += upward;
            if (x > width || row > rows) {
                return DibError::ConversionError;  // a jump out of the picture
            }
        } else {
            const unsigned pixelCount = value;
            if (x + pixelCount > width) {
                return DibError::ConversionError;
            }
            unsigned packed = 0;
            for (unsigned i = 0; i < pixelCount; ++i, ++x) {
                if ((!fourBit || i % 2 == 0) && !stream.read(packed)) {
                    return DibError::ConversionError;
                }
                const unsigned index = fourBit ? (i % 2 == 0 ? packed >> 4 : packed & 0xF) : packed;
                sink.putColour(x, row, paletteColour(description, index));
            }
            const unsigned bytesUsed = fourBit ? (pixelCount + 1) / 2 : pixelCount;
            stream.skip(bytesUsed % 2);
        }
    }
    return DibError::None;
}

}  // namespace

DibError convertDibPixels(const DibDescription& description, const unsigned char* pixels, std::size_t available,
                          RGBImage& image, std::uint64_t maxImageBytes) {
    if (description.width <= 0 || description.height == 0 || !isSupportedLayout(description)) {
        return DibError::ConversionError;
    }
    const std::uint64_t rows = static_cast<std::uint64_t>(std::llabs(description.height));
    const bool runLength = description.compression == kDibRle8 || description.compression == kDibRle4;
    // Uncompressed data must all be there before anything is allocated.
    if (!runLength && storedRowBytes(description) > available / rows) {
        return DibError::ConversionError;
    }
    const std::uint64_t bytes = static_cast<std::uint64_t>(description.width) * rows * kBytesPerPixel;
    if (bytes > maxImageBytes) {
        return DibError::OutOfMemory;
    }
    image.width = description.width;
    image.height = static_cast<std::int32_t>(rows);
    try {
        image.data.assign(static_cast<std::size_t>(bytes), 0);
    } catch (const std::bad_alloc&) {
        return DibError::OutOfMemory;
    }
    if (runLength) {
        return convertRunLength(description, pixels, available, image);
    }
    return convertUncompressed(description, pixels, image);
}
