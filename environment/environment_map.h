// Environment maps: Radiance HDR files read through FreeImage, brought to a fixed size and uploaded as float textures.
#pragma once

#include <GL/gl.h>

#include <FreeImage.h>

#include <cstddef>
#include <cstdint>

#include "environment/hdr_header.h"

// Reads fileName as Radiance HDR (whatever its name or content suggests) and
// stretches it to width x height with the B-spline filter, also when it
// already has that size. Null when the file is missing or unreadable, or when
// its header is malformed or announces an absurd size (see hdr_header.h). The
// caller unloads the result with FreeImage_Unload.
FIBITMAP* loadRescaledEnvironmentImage(const char* fileName, int width, int height);

// The same for a Radiance HDR file held in memory (bytes .. bytes + size);
// maxPixels bounds the size its header may announce.
FIBITMAP* loadRescaledEnvironmentImageFromMemory(const unsigned char* bytes, size_t size, int width, int height,
                                                 std::uint64_t maxPixels = kMaxHdrPixels);

// Copies an RGB float image into a packed buffer of width x height x 3
// floats, bottom row first as FreeImage holds it.
void copyEnvironmentPixels(FIBITMAP* image, float* pixelsOut);

// Creates textureOut, a width x height GL_RGB32F_ARB texture with nearest
// filtering, from the file; the texture is left bound to GL_TEXTURE_2D so
// that it can be read back. A file that cannot be read still gets its texture
// name, with size 0 x 0, and the result is false.
bool loadEnvironmentMap(const char* fileName, GLuint& textureOut, int width, int height);
