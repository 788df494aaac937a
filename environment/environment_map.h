// Environment maps: Radiance HDR or OpenEXR files read through FreeImage, brought to a fixed size and uploaded as float
// textures.
#pragma once

#include <GL/gl.h>

#include <FreeImage.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "environment/hdr_header.h"

// Reads fileName as an RGB float image at its own size. A file that starts
// with the OpenEXR magic number is read as OpenEXR, anything else as Radiance
// HDR (whatever its name suggests). Null when the file is missing or
// unreadable, when its header is malformed, unsupported or announces too large
// a picture (see hdr_header.h), or when its picture cannot be decoded; cause,
// when given, then says why in words for the user. NaN and negative values
// (OpenEXR maps may hold them) are read as 0 and infinite ones as 65504, and
// standard error says how many, naming the file. The caller unloads the
// result with FreeImage_Unload.
FIBITMAP* loadEnvironmentImage(const char* fileName, std::string* cause = nullptr);
// The same for a file held in memory (bytes .. bytes + size), replacing the
// same values without a word; maxPixels bounds the size its header may announce.
FIBITMAP* loadEnvironmentImageFromMemory(const unsigned char* bytes, size_t size,
                                         std::uint64_t maxPixels = kMaxHdrPixels, std::string* cause = nullptr);

// Both of the above, then stretched to width x height with the B-spline
// filter, also when the map already has that size.
FIBITMAP* loadRescaledEnvironmentImage(const char* fileName, int width, int height, std::string* cause = nullptr);
FIBITMAP* loadRescaledEnvironmentImageFromMemory(const unsigned char* bytes, size_t size, int width, int height,
                                                 std::uint64_t maxPixels = kMaxHdrPixels, std::string* cause = nullptr);

// Copies an RGB float image into a packed buffer of width x height x 3
// floats, bottom row first as FreeImage holds it.
void copyEnvironmentPixels(FIBITMAP* image, float* pixelsOut);

// Creates textureOut, a width x height GL_RGB32F_ARB texture with nearest
// filtering, from the file; the texture is left bound to GL_TEXTURE_2D so
// that it can be read back. A file that cannot be read still gets its texture
// name, with size 0 x 0, and the result is false, with the cause when asked.
bool loadEnvironmentMap(const char* fileName, GLuint& textureOut, int width, int height, std::string* cause = nullptr);

// Uploads an RGB float image as a new width x height texture, as
// loadEnvironmentMap does; null image gives a 0 x 0 texture.
void uploadEnvironmentTexture(FIBITMAP* image, GLuint& textureOut);
