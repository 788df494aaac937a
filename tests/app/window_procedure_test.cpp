// The window procedure's table: key table, visibility, close and the full-screen toggle.
#include <gtest/gtest.h>

#include "app/app_window.h"
#include "app/window_procedure.h"
#include "platform/virtual_keys.h"

namespace {

WindowMessage message(MessageType type, int key = 0) {
    WindowMessage m;
    m.type = type;
    m.key = key;
    return m;
}

class WindowProcedureTest : public ::testing::Test {
protected:
    void SetUp() override {
        window.keys = &keys;
        window.isVisible = 1;
        programRunning = 1;
        fullscreenRequested = 0;
    }

    KeyState keys;
    AppWindow window;
};

}  // namespace

TEST_F(WindowProcedureTest, KeyDownAndUpSetAndClearTheKeyTable) {
    windowProc(window, message(MessageType::KeyDown, vk::letter('Q')));
    windowProc(window, message(MessageType::KeyDown, vk::kF1));
    EXPECT_EQ(keys[vk::letter('Q')], 1);
    EXPECT_EQ(keys[vk::kF1], 1);
    windowProc(window, message(MessageType::KeyUp, vk::letter('Q')));
    EXPECT_EQ(keys[vk::letter('Q')], 0);
    EXPECT_EQ(keys[vk::kF1], 1);
}

TEST_F(WindowProcedureTest, SystemKeysAndOutOfRangeCodesNeverEnterTheTable) {
    windowProc(window, message(MessageType::SystemKey, vk::letter('A')));
    windowProc(window, message(MessageType::KeyDown, 256));
    windowProc(window, message(MessageType::KeyDown, -1));
    for (int code = 0; code < kKeyStateSize; ++code) {
        EXPECT_EQ(keys[code], 0) << "code " << code;
    }
}

TEST_F(WindowProcedureTest, MinimisingStopsFramesAndCloseEndsTheProgram) {
    windowProc(window, message(MessageType::Minimized));
    EXPECT_EQ(window.isVisible, 0);
    EXPECT_EQ(programRunning, 1);
    windowProc(window, message(MessageType::Close));
    EXPECT_EQ(programRunning, 0);
}

TEST_F(WindowProcedureTest, ToggleFlipsTheRequestWithoutEndingTheProgram) {
    windowProc(window, message(MessageType::ToggleFullScreen));
    EXPECT_EQ(fullscreenRequested, 1);
    EXPECT_EQ(programRunning, 1);
    windowProc(window, message(MessageType::ToggleFullScreen));
    EXPECT_EQ(fullscreenRequested, 0);
    fullscreenRequested = 7;  // anything but 1 counts as "not full screen"
    windowProc(window, message(MessageType::ToggleFullScreen));
    EXPECT_EQ(fullscreenRequested, 1);
}
