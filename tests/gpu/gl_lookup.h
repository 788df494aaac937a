// Test-side GL helpers: driver entry points the services do not expose, state queries, and a fixture that reads the
// log.
#pragma once

#include <GL/gl.h>

#include <memory>
#include <string>

#include "gpu/logger.h"
#include "platform/platform_services.h"
#include "support/gl_test_context.h"
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

inline bool startsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

// A GL test in a scratch working directory, where the services write their log afresh.
class LoggedGlTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        if (!IsSkipped() && !HasFatalFailure())
            scratch_ = std::make_unique<ScratchDirectory>();
        Logger::resetFirstWriteForTesting();
    }
    void TearDown() override {
        scratch_.reset();
        GlTest::TearDown();
    }
    std::string log() const { return scratch_->readFile("Log.txt"); }
    std::unique_ptr<ScratchDirectory> scratch_;
};

#define EXPECT_NO_GL_ERROR() EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR))
