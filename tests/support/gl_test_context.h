// GlTest: a fixture that opens one small window with a GL context; skips when no display is available.
#pragma once

#include <gtest/gtest.h>

struct NativeWindow;

bool testDisplayAvailable();

class GlTest : public ::testing::Test {
protected:
    // Width and height of the fixture's window; a test class may override them.
    virtual int windowWidth() const { return 128; }
    virtual int windowHeight() const { return 128; }

    void SetUp() override;
    void TearDown() override;
    NativeWindow* window() const { return window_; }

private:
    NativeWindow* window_ = nullptr;
    bool videoStarted_ = false;
};
