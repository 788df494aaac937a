// Environment maps: FreeImage loading and rescaling, and the float texture upload.
#include "environment/environment_map.h"

#include <GL/glext.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "environment/light_extractor.h"
#include "environment/map_header.h"
#include "environment/map_values.h"
#include "platform/file_mapping.h"

namespace {

// FreeImage's own words about the latest failure on this thread; its readers
// report through one callback, called on the thread that decodes.
std::string& freeImageMessage() {
    thread_local std::string message;
    return message;
}

void keepFreeImageMessage(FREE_IMAGE_FORMAT /*format*/, const char* message) {
    freeImageMessage() = message != nullptr ? message : "";
    while (!freeImageMessage().empty() && (freeImageMessage().back() == '\n' || freeImageMessage().back() == '\r')) {
        freeImageMessage().pop_back();
    }
}

// The file's bytes as FreeImage reads them; a raised cancel flag makes every
// further read come back empty, which ends the decoder at its next read.
struct MemoryStream {
    const unsigned char* bytes;
    size_t size;
    size_t position;
    const CancelFlag* cancelled;
    bool stopped = false;
};

unsigned DLL_CALLCONV readStream(void* buffer, unsigned itemSize, unsigned count, fi_handle handle) {
    MemoryStream& stream = *static_cast<MemoryStream*>(handle);
    if (stream.cancelled != nullptr && *stream.cancelled) {
        stream.stopped = true;
        return 0;
    }
    if (itemSize == 0) {
        return 0;
    }
    const size_t items = std::min<size_t>(count, (stream.size - stream.position) / itemSize);
    std::memcpy(buffer, stream.bytes + stream.position, items * itemSize);
    stream.position += items * itemSize;
    return static_cast<unsigned>(items);
}

unsigned DLL_CALLCONV writeNothing(void* /*buffer*/, unsigned /*itemSize*/, unsigned /*count*/, fi_handle /*handle*/) {
    return 0;
}

int DLL_CALLCONV seekStream(fi_handle handle, long offset, int origin) {
    MemoryStream& stream = *static_cast<MemoryStream*>(handle);
    const long base = origin == SEEK_SET   ? 0
                      : origin == SEEK_CUR ? static_cast<long>(stream.position)
                                           : static_cast<long>(stream.size);
    if (offset < -base || offset > static_cast<long>(stream.size) - base) {
        return -1;
    }
    stream.position = static_cast<size_t>(base + offset);
    return 0;
}

long DLL_CALLCONV tellStream(fi_handle handle) {
    return static_cast<long>(static_cast<MemoryStream*>(handle)->position);
}

FreeImageIO memoryStreamIo() { return FreeImageIO{readStream, writeNothing, seekStream, tellStream}; }

FIBITMAP* refuse(std::string* cause, const std::string& text) {
    if (cause != nullptr) {
        *cause = text;
    }
    return nullptr;
}

// Brings what the reader delivered to RGB floats; the delivered image is unloaded when converted.
FIBITMAP* toRgbFloats(FIBITMAP* loaded, std::string* cause) {
    if (FreeImage_GetImageType(loaded) == FIT_RGBF) {
        return loaded;
    }
    // OpenEXR maps may come with alpha or as half floats.
    FIBITMAP* rgb = FreeImage_ConvertToRGBF(loaded);
    FreeImage_Unload(loaded);
    return rgb != nullptr ? rgb : refuse(cause, "its pixels cannot be turned into RGB floats");
}

// Replaces the values no later step can use (NaN, infinite, negative) in an
// RGB float image, before any filter spreads them.
ReplacedValues replaceUnusableImageValues(FIBITMAP* rgb) {
    ReplacedValues replaced;
    const unsigned width = FreeImage_GetWidth(rgb);
    for (unsigned row = 0; row < FreeImage_GetHeight(rgb); ++row) {
        const ReplacedValues inRow =
            replaceUnusableValues(reinterpret_cast<float*>(FreeImage_GetScanLine(rgb, row)), kRgbChannels * width);
        replaced.notANumber += inRow.notANumber;
        replaced.infinite += inRow.infinite;
        replaced.negative += inRow.negative;
    }
    return replaced;
}

// The header check and the decoding of a file held in memory; replaced, when
// given, counts the values the decoding replaced.
FIBITMAP* loadFromMemory(const unsigned char* bytes, size_t size, std::uint64_t maxPixels, std::string* cause,
                         ReplacedValues* replaced) {
    MapPicture picture;
    std::string problem;
    if (probeMapHeader(bytes, size, size, maxPixels, picture, problem) != HeaderProbe::Known) {
        return refuse(cause, problem);
    }
    return decodeEnvironmentImage(bytes, size, picture.format, nullptr, cause, replaced);
}

}  // namespace

FIBITMAP* rescaleEnvironmentImage(FIBITMAP* rgb, int width, int height, std::string* cause) {
    if (rgb == nullptr) {
        return nullptr;
    }
    FIBITMAP* rescaled = FreeImage_Rescale(rgb, width, height, FILTER_BSPLINE);
    FreeImage_Unload(rgb);
    if (rescaled == nullptr) {
        return refuse(cause, "not enough memory to rescale it");
    }
    if (FreeImage_GetImageType(rescaled) != FIT_RGBF) {
        FreeImage_Unload(rescaled);
        return refuse(cause, "its pixels are not RGB floats");
    }
    return rescaled;
}

FIBITMAP* loadEnvironmentImage(const char* fileName, std::string* cause) {
    // Mapped once: the header check and FreeImage read the same bytes.
    FileMapping file;
    if (!file.open(fileName)) {
        return refuse(cause, file.failure());
    }
    ReplacedValues replaced;
    FIBITMAP* image = loadFromMemory(file.data(), file.size(), kMaxHdrPixels, cause, &replaced);
    reportReplacedValues(fileName, replaced);
    return image;
}

void reportReplacedValues(const std::string& fileName, const ReplacedValues& replaced) {
    if (replaced.total() > 0) {
        std::fprintf(stderr, "Environment map \"%s\": %s\n", fileName.c_str(),
                     describeReplacedValues(replaced).c_str());
    }
}

FIBITMAP* loadRescaledEnvironmentImage(const char* fileName, int width, int height, std::string* cause) {
    return rescaleEnvironmentImage(loadEnvironmentImage(fileName, cause), width, height, cause);
}

FIBITMAP* loadRescaledEnvironmentImageFromMemory(const unsigned char* bytes, size_t size, int width, int height,
                                                 std::uint64_t maxPixels, std::string* cause) {
    return rescaleEnvironmentImage(loadEnvironmentImageFromMemory(bytes, size, maxPixels, cause), width, height, cause);
}

FIBITMAP* loadEnvironmentImageFromMemory(const unsigned char* bytes, size_t size, std::uint64_t maxPixels,
                                         std::string* cause) {
    return loadFromMemory(bytes, size, maxPixels, cause, nullptr);
}

FIBITMAP* decodeEnvironmentImage(const unsigned char* bytes, size_t size, MapFormat format, const CancelFlag* cancelled,
                                 std::string* cause, ReplacedValues* replaced) {
    // One callback for every thread, set once; each thread keeps its own message.
    static std::once_flag callbackSet;
    std::call_once(callbackSet, [] { FreeImage_SetOutputMessage(keepFreeImageMessage); });
    freeImageMessage().clear();
    // FreeImage's OpenEXR reader can loop for ever on a read that comes back
    // short inside its header, so only the Radiance reader is stopped that way.
    MemoryStream stream{bytes, size, 0, format == MapFormat::Radiance ? cancelled : nullptr};
    FreeImageIO io = memoryStreamIo();
    FIBITMAP* loaded = FreeImage_LoadFromHandle(format == MapFormat::OpenExr ? FIF_EXR : FIF_HDR, &io, &stream, 0);
    if (loaded == nullptr) {
        const std::string& said = freeImageMessage();
        if (stream.stopped) {
            return refuse(cause, "cancelled");
        }
        if (said.find("read error") != std::string::npos) {
            return refuse(cause, "truncated: its picture data ends early (FreeImage: " + said + ")");
        }
        return refuse(cause, "its picture data cannot be decoded" + (said.empty() ? "" : " (FreeImage: " + said + ")"));
    }
    FIBITMAP* rgb = toRgbFloats(loaded, cause);
    if (rgb != nullptr) {
        const ReplacedValues found = replaceUnusableImageValues(rgb);
        if (replaced != nullptr) {
            *replaced = found;
        }
    }
    return rgb;
}

void copyEnvironmentPixels(FIBITMAP* image, float* pixelsOut) {
    const unsigned width = FreeImage_GetWidth(image);
    const unsigned height = FreeImage_GetHeight(image);
    const size_t rowBytes = sizeof(float) * kRgbChannels * width;
    for (unsigned row = 0; row < height; ++row) {
        std::memcpy(pixelsOut + static_cast<size_t>(row) * width * kRgbChannels, FreeImage_GetScanLine(image, row),
                    rowBytes);
    }
}

void uploadEnvironmentPixels(const float* pixels, int width, int height, GLuint& textureOut) {
    glGenTextures(1, &textureOut);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, textureOut);
    // RGB float rows are 12 * width bytes, always a multiple of the default
    // unpack alignment of 4, so packed rows upload as they are.
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB32F_ARB, width, height, 0, GL_RGB, GL_FLOAT, pixels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glDisable(GL_TEXTURE_2D);
}
