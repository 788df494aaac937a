// The window procedure's table: key table, visibility, close and the full-screen toggle.
#include <gtest/gtest.h>

#include "app/app_window.h"
#include "app/window_procedure.h"
#include "platform/virtual_keys.h"

TEST(WindowProcedureTest, KeysVisibilityCloseAndToggle) {
    KeyState keys;
    AppWindow window;
    window.keys = &keys;
    window.isVisible = 1;
    programRunning = 1;
    fullscreenRequested = 0;
    const auto send = [&](MessageType type, int key = 0) {
        WindowMessage message;
        message.type = type;
        message.key = key;
        windowProc(window, message);
    };
    send(MessageType::KeyDown, vk::letter('Q'));
    send(MessageType::KeyDown, vk::kF1);
    send(MessageType::KeyUp, vk::letter('Q'));
    EXPECT_TRUE(keys[vk::letter('Q')] == 0 && keys[vk::kF1] == 1);
    // System keys and codes outside the table never enter it.
    keys[vk::kF1] = 0;
    send(MessageType::SystemKey, vk::letter('A'));
    send(MessageType::KeyDown, 256);
    send(MessageType::KeyDown, -1);
    for (int code = 0; code < kKeyStateSize; ++code) ASSERT_EQ(keys[code], 0) << "code " << code;
    // The toggle flips the request (anything but 1 counts as windowed) without ending the program.
    for (int expected : {1, 0}) {
        send(MessageType::ToggleFullScreen);
        EXPECT_EQ(fullscreenRequested, expected);
    }
    fullscreenRequested = 7;
    send(MessageType::ToggleFullScreen);
    EXPECT_EQ(fullscreenRequested, 1);
    send(MessageType::Minimized);
    EXPECT_TRUE(window.isVisible == 0 && programRunning == 1) << "minimising stops the frames, not the program";
    send(MessageType::Close);
    EXPECT_EQ(programRunning, 0);
}
