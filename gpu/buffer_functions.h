// Buffer functions: the buffer-object entry points of the current context, and the call that makes a filled buffer.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

// The character's meshes and a user's model each keep one set, looked up
// again for every context.
struct BufferFunctions {
    PFNGLGENBUFFERSPROC genBuffers = nullptr;
    PFNGLBINDBUFFERPROC bindBuffer = nullptr;
    PFNGLBUFFERDATAPROC bufferData = nullptr;
    PFNGLBUFFERSUBDATAPROC bufferSubData = nullptr;
    PFNGLDELETEBUFFERSPROC deleteBuffers = nullptr;

    // Looks every entry point up; true when all of them were found.
    bool lookUp();
    bool available() const;
    // A new buffer, left bound to target, holding size bytes (copied from
    // data unless it is null). Needs available().
    GLuint create(GLenum target, GLsizeiptr size, const void* data, GLenum usage) const;
};
