// Noise texture: turns a bitmap file into a mipmapped RGB texture for the final post-process pass.
#pragma once

#include <GL/gl.h>

// Reads fileName and stores a new mipmapped, linearly filtered GL_TEXTURE_2D
// in textureNames[slot], left bound. A null fileName does nothing. The
// program cannot run without this texture: an unreadable file ends it with
// exit status 1 after the reader's message.
void loadBitmapTexture(GLuint* textureNames, const char* fileName, int slot);
