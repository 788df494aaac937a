// Environment maps: FreeImage loading and rescaling, and the float texture upload.
#include "environment/environment_map.h"

#include <GL/glext.h>

#include <cstring>

#include "platform/file_mapping.h"

namespace {

constexpr int kChannels = 3;
constexpr size_t kMaxMemoryFileBytes = 0xFFFFFFFFu;

// Stretches what the HDR reader delivered to width x height and unloads it.
FIBITMAP* rescaleLoadedImage(FIBITMAP* loaded, int width, int height) {
    if (loaded == nullptr) {
        return nullptr;
    }
    FIBITMAP* rescaled = FreeImage_Rescale(loaded, width, height, FILTER_BSPLINE);
    FreeImage_Unload(loaded);
    if (rescaled != nullptr && FreeImage_GetImageType(rescaled) != FIT_RGBF) {
        // The HDR reader only ever delivers RGB floats; anything else is not a map.
        FreeImage_Unload(rescaled);
        return nullptr;
    }
    return rescaled;
}

}  // namespace

FIBITMAP* loadRescaledEnvironmentImage(const char* fileName, int width, int height) {
    // Mapped once: the header check and FreeImage read the same bytes.
    FileMapping file;
    if (fileName == nullptr || !file.open(fileName)) {
        return nullptr;
    }
    return loadRescaledEnvironmentImageFromMemory(file.data(), file.size(), width, height);
}

FIBITMAP* loadRescaledEnvironmentImageFromMemory(const unsigned char* bytes, size_t size, int width, int height,
                                                 std::uint64_t maxPixels) {
    // The memory handle counts bytes in 32 bits.
    if (size > kMaxMemoryFileBytes || !hdrHeaderAcceptable(bytes, size, maxPixels)) {
        return nullptr;
    }
    // FreeImage only reads through the memory handle; the cast drops a const it never needed.
    FIMEMORY* memory = FreeImage_OpenMemory(const_cast<BYTE*>(bytes), static_cast<DWORD>(size));
    if (memory == nullptr) {
        return nullptr;
    }
    FIBITMAP* loaded = FreeImage_LoadFromMemory(FIF_HDR, memory, 0);
    FreeImage_CloseMemory(memory);
    return rescaleLoadedImage(loaded, width, height);
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

bool loadEnvironmentMap(const char* fileName, GLuint& textureOut, int width, int height) {
    FIBITMAP* image = loadRescaledEnvironmentImage(fileName, width, height);
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
    if (image != nullptr) {
        FreeImage_Unload(image);
    }
    // The texture stays bound: the start-up sequence reads it back.
    glDisable(GL_TEXTURE_2D);
    return image != nullptr;
}
