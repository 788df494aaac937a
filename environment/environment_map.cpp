// Environment maps: FreeImage loading and rescaling, and the float texture upload.
#include "environment/environment_map.h"

#include <GL/glext.h>

#include <cstdio>
#include <cstring>

#include "environment/exr_header.h"
#include "environment/map_values.h"
#include "platform/file_mapping.h"

namespace {

constexpr int kChannels = 3;
constexpr size_t kMaxMemoryFileBytes = 0xFFFFFFFFu;

// FreeImage's own words about the latest failure; its readers report through this callback.
std::string& freeImageMessage() {
    static std::string message;
    return message;
}

void keepFreeImageMessage(FREE_IMAGE_FORMAT /*format*/, const char* message) {
    freeImageMessage() = message != nullptr ? message : "";
    while (!freeImageMessage().empty() && (freeImageMessage().back() == '\n' || freeImageMessage().back() == '\r')) {
        freeImageMessage().pop_back();
    }
}

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
            replaceUnusableValues(reinterpret_cast<float*>(FreeImage_GetScanLine(rgb, row)), kChannels * width);
        replaced.notANumber += inRow.notANumber;
        replaced.infinite += inRow.infinite;
        replaced.negative += inRow.negative;
    }
    return replaced;
}

// Stretches an RGB float image to width x height and unloads it.
FIBITMAP* rescaleImage(FIBITMAP* rgb, int width, int height, std::string* cause) {
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

// The loader behind both public ones; replaced, when given, counts the values it replaced.
FIBITMAP* loadFromMemory(const unsigned char* bytes, size_t size, std::uint64_t maxPixels, std::string* cause,
                         ReplacedValues* replaced) {
    // The memory handle counts bytes in 32 bits.
    if (size > kMaxMemoryFileBytes) {
        return refuse(cause, "too large: " + std::to_string(size) + " bytes (the limit is 4 GB)");
    }
    FREE_IMAGE_FORMAT format = FIF_HDR;
    if (isOpenExr(bytes, size)) {
        format = FIF_EXR;
        const std::string problem = checkExrHeader(bytes, size, maxPixels);
        if (!problem.empty()) {
            return refuse(cause, problem);
        }
    } else {
        const HdrHeaderCheck check = checkHdrHeader(bytes, size, maxPixels);
        if (check.status != HdrHeaderStatus::Acceptable) {
            return refuse(cause, check.status == HdrHeaderStatus::NotRadiance ? "not a Radiance HDR or OpenEXR file"
                                                                              : check.cause);
        }
    }
    // FreeImage only reads through the memory handle; the cast drops a const it never needed.
    FIMEMORY* memory = FreeImage_OpenMemory(const_cast<BYTE*>(bytes), static_cast<DWORD>(size));
    if (memory == nullptr) {
        return refuse(cause, "not enough memory to read it");
    }
    FreeImage_SetOutputMessage(keepFreeImageMessage);
    freeImageMessage().clear();
    FIBITMAP* loaded = FreeImage_LoadFromMemory(format, memory, 0);
    FreeImage_CloseMemory(memory);
    if (loaded == nullptr) {
        const std::string& said = freeImageMessage();
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

}  // namespace

FIBITMAP* loadEnvironmentImage(const char* fileName, std::string* cause) {
    // Mapped once: the header check and FreeImage read the same bytes.
    FileMapping file;
    if (!file.open(fileName)) {
        return refuse(cause, file.failure());
    }
    ReplacedValues replaced;
    FIBITMAP* image = loadFromMemory(file.data(), file.size(), kMaxHdrPixels, cause, &replaced);
    if (replaced.total() > 0) {
        std::fprintf(stderr, "Environment map \"%s\": %s\n", fileName, describeReplacedValues(replaced).c_str());
    }
    return image;
}

FIBITMAP* loadRescaledEnvironmentImage(const char* fileName, int width, int height, std::string* cause) {
    return rescaleImage(loadEnvironmentImage(fileName, cause), width, height, cause);
}

FIBITMAP* loadRescaledEnvironmentImageFromMemory(const unsigned char* bytes, size_t size, int width, int height,
                                                 std::uint64_t maxPixels, std::string* cause) {
    return rescaleImage(loadEnvironmentImageFromMemory(bytes, size, maxPixels, cause), width, height, cause);
}

FIBITMAP* loadEnvironmentImageFromMemory(const unsigned char* bytes, size_t size, std::uint64_t maxPixels,
                                         std::string* cause) {
    return loadFromMemory(bytes, size, maxPixels, cause, nullptr);
}

void copyEnvironmentPixels(FIBITMAP* image, float* pixelsOut) {
    const unsigned width = FreeImage_GetWidth(image);
    const unsigned height = FreeImage_GetHeight(image);
    const size_t rowBytes = sizeof(float) * kChannels * width;
    for (unsigned row = 0; row < height; ++row) {
        std::memcpy(pixelsOut + static_cast<size_t>(row) * width * kChannels, FreeImage_GetScanLine(image, row),
                    rowBytes);
    }
}

bool loadEnvironmentMap(const char* fileName, GLuint& textureOut, int width, int height, std::string* cause) {
    FIBITMAP* image = loadRescaledEnvironmentImage(fileName, width, height, cause);
    uploadEnvironmentTexture(image, textureOut);
    if (image != nullptr) {
        FreeImage_Unload(image);
    }
    return image != nullptr;
}

void uploadEnvironmentTexture(FIBITMAP* image, GLuint& textureOut) {
    GLsizei imageWidth = 0;
    GLsizei imageHeight = 0;
    const void* data = nullptr;
    if (image != nullptr) {
        imageWidth = static_cast<GLsizei>(FreeImage_GetWidth(image));
        imageHeight = static_cast<GLsizei>(FreeImage_GetHeight(image));
        data = FreeImage_GetBits(image);
    }
    glGenTextures(1, &textureOut);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, textureOut);
    // RGB float rows are 12 * width bytes, always a multiple of the default
    // unpack alignment of 4, so FreeImage's rows upload without padding.
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB32F_ARB, imageWidth, imageHeight, 0, GL_RGB, GL_FLOAT, data);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    // The texture stays bound: the start-up sequence reads it back.
    glDisable(GL_TEXTURE_2D);
}
