// Message boxes through SDL, echoed to standard error so that runs without a display still say what happened.
#include "platform/message_box.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool dialogsAllowed = true;

bool displayAvailable() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if ((x11 == nullptr || *x11 == '\0') && (wayland == nullptr || *wayland == '\0')) {
        return false;
    }
    // SDL falls back to its offscreen driver when no display can be opened.
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver == nullptr || std::strcmp(driver, "offscreen") != 0;
}

Uint32 iconFlags(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Error:
            return SDL_MESSAGEBOX_ERROR;
        case MessageIcon::Warning:
            return SDL_MESSAGEBOX_WARNING;
        case MessageIcon::Question:
        case MessageIcon::Information:
            return SDL_MESSAGEBOX_INFORMATION;
    }
    return SDL_MESSAGEBOX_INFORMATION;
}

void echo(const char* title, const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", title, text.c_str());
    std::fflush(stderr);
}

}  // namespace

void setDialogsEnabled(bool enabled) { dialogsAllowed = enabled; }

void showMessageBox(const char* title, const std::string& text, MessageIcon icon) {
    echo(title, text);
    if (!dialogsAllowed || !displayAvailable()) {
        return;
    }
    SDL_ShowSimpleMessageBox(iconFlags(icon), title, text.c_str(), nullptr);
}

bool askYesNoBox(const char* title, const std::string& text) {
    echo(title, text);
    if (!dialogsAllowed || !displayAvailable()) {
        return true;
    }
    const SDL_MessageBoxButtonData buttons[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Yes"},
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "No"},
    };
    const SDL_MessageBoxData data = {SDL_MESSAGEBOX_INFORMATION, nullptr, title, text.c_str(), 2, buttons, nullptr};
    int answer = 1;
    if (SDL_ShowMessageBox(&data, &answer) != 0) {
        return true;  // a failed box is not a No
    }
    return answer != 0;
}
