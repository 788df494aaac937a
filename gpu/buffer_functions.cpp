// Buffer functions: the five buffer-object entry points looked up by name, and buffer creation with its first upload.
#include "gpu/buffer_functions.h"

#include "platform/gl_entry_points.h"

bool BufferFunctions::lookUp() {
    lookUpEntryPoint(genBuffers, "glGenBuffers");
    lookUpEntryPoint(bindBuffer, "glBindBuffer");
    lookUpEntryPoint(bufferData, "glBufferData");
    lookUpEntryPoint(bufferSubData, "glBufferSubData");
    lookUpEntryPoint(deleteBuffers, "glDeleteBuffers");
    return available();
}

bool BufferFunctions::available() const {
    return genBuffers != nullptr && bindBuffer != nullptr && bufferData != nullptr && bufferSubData != nullptr &&
           deleteBuffers != nullptr;
}

GLuint BufferFunctions::create(GLenum target, GLsizeiptr size, const void* data, GLenum usage) const {
    GLuint name = 0;
    genBuffers(1, &name);
    bindBuffer(target, name);
    bufferData(target, size, data, usage);
    return name;
}
