// Test-side GL helpers: driver entry points the services do not expose, state queries and the log file.
#pragma once

#include <GL/gl.h>

#include <string>

#include "platform/platform_services.h"
#include "support/scratch_directory.h"

// A driver entry point by name, bypassing any fake platform a test installed.
template <typename Function>
Function driverFunction(const char* name) {
    return reinterpret_cast<Function>(sdlPlatformServices().glProcAddress(name));
}

inline GLint integerState(GLenum name) {
    GLint value = -1;
    glGetIntegerv(name, &value);
    return value;
}

inline std::string logText(const ScratchDirectory& scratch) { return scratch.readFile("Log.txt"); }

inline bool startsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

#define EXPECT_NO_GL_ERROR() EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR))
