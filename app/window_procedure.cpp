// The window procedure's message table: close, minimise and restore, keys, the settings panel and the full-screen
// toggle.
#include "app/window_procedure.h"

#include "app/file_drop.h"
#include "app/screenshot_key.h"
#include "gpu/projections.h"
#include "panel/settings_panel.h"
#include "platform/virtual_keys.h"

int programRunning = 0;
int fullscreenRequested = 0;

void terminateApplication(AppWindow& window) {
    // Posted to the window, because the loop only takes messages addressed to it.
    postQuitMessage(window.native);
    programRunning = 0;
}

void windowProc(AppWindow& window, const WindowMessage& message) {
    switch (message.type) {
        case MessageType::Close:
            terminateApplication(window);
            break;
        case MessageType::Minimized:
            window.isVisible = 0;
            break;
        case MessageType::Restored:
            window.isVisible = 1;
            setPerspectiveProjection(message.width, message.height);
            break;
        case MessageType::KeyDown:
            // A key typed into a field of the settings panel is the panel's alone.
            if (window.keys != nullptr && message.key >= 0 && message.key < kKeyStateSize &&
                keyReachesScene(message.type, settingsPanelFocus())) {
                KeyState& keys = *window.keys;
                // A press, not the repeat of a held key: F12 saves one screenshot
                // and Tab shows or hides the panel once per press, and the update
                // step sees the press even when the key is up again before it runs.
                if (keys[message.key] == 0) {
                    keys.pressedSinceUpdate[message.key] = 1;
                    if (message.key == vk::function(12)) {
                        requestScreenshot();
                    }
                    if (message.key == vk::kTab) {
                        showSettingsPanel(!settingsPanelShown());
                    }
                }
                keys[message.key] = 1;
            }
            break;
        case MessageType::KeyUp:
            if (window.keys != nullptr && message.key >= 0 && message.key < kKeyStateSize) {
                (*window.keys)[message.key] = 0;
            }
            break;
        case MessageType::ToggleFullScreen:
            // Ends the inner loop without stopping the program: the outer loop
            // re-creates window and scene in the other mode.
            fullscreenRequested = fullscreenRequested == 1 ? 0 : 1;
            postQuitMessage(window.native);
            break;
        case MessageType::DropFile:
            dropFile(message.path);
            break;
        case MessageType::Quit:
        case MessageType::SystemKey:
        case MessageType::Other:
            break;
    }
}
