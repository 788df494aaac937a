// GlTest: a fixture that opens one 128 x 128 window with a GL context; skips when no display is available.
#pragma once

#include <gtest/gtest.h>

struct NativeWindow;

bool testDisplayAvailable();

class GlTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    NativeWindow* window() const { return window_; }

private:
    NativeWindow* window_ = nullptr;
    bool videoStarted_ = false;
};
