// The platform services on SDL2: tick count, global cursor, keyboard state, GL lookup, message boxes.
#include <GL/gl.h>
#include <SDL.h>

#include "platform/message_box.h"
#include "platform/platform_services.h"
#include "platform/virtual_keys.h"

namespace {

class SdlPlatformServices final : public PlatformServices {
public:
    std::uint32_t ticks() override { return SDL_GetTicks(); }

    void cursorPosition(int& x, int& y) override { SDL_GetGlobalMouseState(&x, &y); }

    void setCursorPosition(int x, int y) override { SDL_WarpMouseGlobal(x, y); }

    bool ownsCursor() override {
        // The program's one window is the one with the current GL context.
        SDL_Window* window = SDL_GL_GetCurrentWindow();
        if (window == nullptr) {
            return true;
        }
        const Uint32 flags = SDL_GetWindowFlags(window);
        return (flags & SDL_WINDOW_FULLSCREEN) != 0 || (flags & SDL_WINDOW_INPUT_FOCUS) != 0;
    }

    bool isKeyDown(int virtualKey) override {
        const SDL_Keycode keycode = sdlKeycodeFromVirtualKey(virtualKey);
        if (keycode == SDLK_UNKNOWN) {
            return false;
        }
        int count = 0;
        const Uint8* state = SDL_GetKeyboardState(&count);
        const SDL_Scancode scancode = SDL_GetScancodeFromKey(keycode);
        return state != nullptr && scancode > 0 && scancode < count && state[scancode] != 0;
    }

    void* glProcAddress(const char* name) override { return SDL_GL_GetProcAddress(name); }

    const char* glExtensions() override {
        const GLubyte* extensions = glGetString(GL_EXTENSIONS);
        return extensions != nullptr ? reinterpret_cast<const char*>(extensions) : "";
    }

    void showMessage(const char* title, const std::string& text, MessageIcon icon) override {
        showMessageBox(title, text, icon);
    }

    bool askYesNo(const char* title, const std::string& text) override { return askYesNoBox(title, text); }
};

}  // namespace

PlatformServices& sdlPlatformServices() {
    static SdlPlatformServices services;
    return services;
}
