// GlTest fixture: a real Mesa GL context in a small window under Xvfb.
#include "support/gl_test_context.h"

#include <cstdlib>

#include "platform/native_window.h"

bool testDisplayAvailable() {
    const char* display = std::getenv("DISPLAY");
    return display != nullptr && *display != '\0';
}

void GlTest::SetUp() {
    if (!testDisplayAvailable()) GTEST_SKIP() << "no DISPLAY: gl tests need an X server (scripts/test.sh starts Xvfb)";
    ASSERT_TRUE(videoStarted_ = startVideo()) << "SDL video could not start";
    window_ = createNativeWindow("lumivor gl test", 128, 128, WindowFrame::ClientSized);
    ASSERT_NE(window_, nullptr) << "no GL window could be created";
}

void GlTest::TearDown() {
    if (window_ != nullptr) destroyNativeWindow(window_);
    if (videoStarted_) stopVideo();
    window_ = nullptr;
    videoStarted_ = false;
}
