// Shader source text: how a GLSL file becomes the one string handed to the compiler.
#pragma once

#include <cstddef>
#include <string>

// The text of a source held in memory: one leading space, then every line
// (split at line feeds, carriage returns kept) followed by a line feed, ending
// at the first zero byte as the compiler would see it.
std::string shaderSourceFromBytes(const char* data, std::size_t size);

// The text of a source file read as raw bytes. A file that cannot be opened
// gives the single space, so the failure shows as the slot's compile error.
std::string readShaderSource(const char* path);
