// SDL2 window and GL context creation, buffer swap, and translation of SDL events into window messages.
#include "platform/native_window.h"

#include <SDL.h>

#include <cstdlib>

#include "platform/panel_event_feed.h"
#include "platform/sdl_window.h"
#include "platform/toggle_signal.h"
#include "platform/virtual_keys.h"

namespace {

Uint32 quitEventType = static_cast<Uint32>(-1);
SDL_DisplayMode fullScreenMode = {};

// How long a minimised window sleeps between looks at the toggle signal.
constexpr int kWaitSliceMilliseconds = 100;
// A file the first shown window receives as if it were dropped on it: tests
// cannot drag a file onto a window, so they name it here.
const char* const kTestDropVariable = "LUMIVOR_TEST_DROP_FILE";

void requestPixelFormat() {
    // Colour 8/8/8/8, depth 16, stencil 1, double buffered; no profile mask,
    // so the driver gives a compatibility context.
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 1);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
}

bool belongsTo(const NativeWindow* window, Uint32 windowId) {
    return window != nullptr && window->windowId == windowId;
}

WindowMessage translateKey(const SDL_KeyboardEvent& key) {
    WindowMessage message;
    const int virtualKey = virtualKeyFromSdlKeycode(key.keysym.sym);
    if (virtualKey < 0) {
        return message;
    }
    const bool altHeld = (key.keysym.mod & KMOD_ALT) != 0;
    if (isSystemKey(virtualKey, altHeld)) {
        message.type = MessageType::SystemKey;
    } else {
        message.type = key.type == SDL_KEYDOWN ? MessageType::KeyDown : MessageType::KeyUp;
    }
    message.key = virtualKey;
    return message;
}

WindowMessage translate(NativeWindow* window, const SDL_Event& event) {
    WindowMessage message;
    if (event.type == quitEventType) {
        if (belongsTo(window, event.user.windowID)) {
            message.type = MessageType::Quit;
        }
        return message;
    }
    switch (event.type) {
        case SDL_QUIT:
            message.type = MessageType::Close;
            break;
        case SDL_WINDOWEVENT:
            if (!belongsTo(window, event.window.windowID)) {
                break;
            }
            switch (event.window.event) {
                case SDL_WINDOWEVENT_CLOSE:
                    message.type = MessageType::Close;
                    break;
                case SDL_WINDOWEVENT_MINIMIZED:
                    message.type = MessageType::Minimized;
                    break;
                case SDL_WINDOWEVENT_RESTORED:
                case SDL_WINDOWEVENT_MAXIMIZED:
                case SDL_WINDOWEVENT_SIZE_CHANGED:
                    message.type = MessageType::Restored;
                    nativeDrawableSize(window, message.width, message.height);
                    break;
                default:
                    break;
            }
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            if (belongsTo(window, event.key.windowID)) {
                message = translateKey(event.key);
            }
            break;
        case SDL_DROPFILE:
        case SDL_DROPTEXT:
            // The receiver owns the dropped name.
            if (event.drop.file != nullptr) {
                if (event.type == SDL_DROPFILE && window != nullptr &&
                    (event.drop.windowID == 0 || belongsTo(window, event.drop.windowID))) {
                    message.type = MessageType::DropFile;
                    message.path = event.drop.file;
                }
                SDL_free(event.drop.file);
            }
            break;
        default:
            break;
    }
    return message;
}

// Queues the drop event SDL would deliver, once per run.
void deliverTestDrop(const NativeWindow* native) {
    static bool delivered = false;
    const char* path = std::getenv(kTestDropVariable);
    if (delivered || path == nullptr || *path == '\0') {
        return;
    }
    delivered = true;
    SDL_Event event = {};
    event.type = SDL_DROPFILE;
    event.drop.file = SDL_strdup(path);  // freed by the receiver, as SDL's own drops are
    event.drop.windowID = native->windowId;
    if (SDL_PushEvent(&event) != 1) {
        SDL_free(event.drop.file);
    }
}

}  // namespace

bool startVideo() {
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        return false;
    }
    quitEventType = SDL_RegisterEvents(1);
    SDL_DisableScreenSaver();
    installToggleSignalHandler();
    return quitEventType != static_cast<Uint32>(-1);
}

void stopVideo() { SDL_Quit(); }

bool changeScreenResolution(int width, int height, int bitsPerPixel) {
    SDL_DisplayMode wanted = {};
    wanted.w = width;
    wanted.h = height;
    wanted.format = bitsPerPixel == 32 ? SDL_PIXELFORMAT_RGB888 : 0;
    if (SDL_GetClosestDisplayMode(0, &wanted, &fullScreenMode) == nullptr) {
        return false;
    }
    return true;
}

NativeWindow* createNativeWindow(const char* title, int width, int height, WindowFrame frame) {
    requestPixelFormat();
    Uint32 flags = SDL_WINDOW_OPENGL;
    if (frame == WindowFrame::FullScreen) {
        flags |= SDL_WINDOW_FULLSCREEN;
    } else if (frame == WindowFrame::Hidden) {
        flags |= SDL_WINDOW_HIDDEN;
    }
    auto* native = new NativeWindow();
    native->window = SDL_CreateWindow(title, 0, 0, width, height, flags);
    if (native->window == nullptr) {
        delete native;
        return nullptr;
    }
    native->windowId = SDL_GetWindowID(native->window);
    if (frame == WindowFrame::FullScreen) {
        SDL_SetWindowDisplayMode(native->window, &fullScreenMode);
    } else if (frame == WindowFrame::OuterSized) {
        // The frame, not the client area, gets the configured size.
        int top = 0, left = 0, bottom = 0, right = 0;
        if (SDL_GetWindowBordersSize(native->window, &top, &left, &bottom, &right) == 0) {
            SDL_SetWindowSize(native->window, width - left - right, height - top - bottom);
        }
    }
    native->context = SDL_GL_CreateContext(native->window);
    if (native->context == nullptr || SDL_GL_MakeCurrent(native->window, native->context) != 0) {
        destroyNativeWindow(native);
        return nullptr;
    }
    if (frame != WindowFrame::Hidden) {
        SDL_ShowWindow(native->window);
        deliverTestDrop(native);
    }
    return native;
}

void destroyNativeWindow(NativeWindow* window) {
    if (window == nullptr) {
        return;
    }
    if (window->context != nullptr) {
        SDL_GL_MakeCurrent(window->window, nullptr);
        SDL_GL_DeleteContext(window->context);
    }
    SDL_DestroyWindow(window->window);
    delete window;
}

void swapNativeWindow(NativeWindow* window) { SDL_GL_SwapWindow(window->window); }

void nativeDrawableSize(NativeWindow* window, int& width, int& height) {
    SDL_GL_GetDrawableSize(window->window, &width, &height);
}

void showSystemCursor(bool shown) { SDL_ShowCursor(shown ? SDL_ENABLE : SDL_DISABLE); }

bool peekMessage(NativeWindow* window, WindowMessage& message) {
    if (takeToggleRequest()) {
        message = WindowMessage();
        message.type = MessageType::ToggleFullScreen;
        return true;
    }
    SDL_Event event;
    if (SDL_PollEvent(&event) == 0) {
        return false;
    }
    feedPanelEvent(event);  // before translate, which frees a dropped file's name
    message = translate(window, event);
    return true;
}

void waitMessage() { SDL_WaitEventTimeout(nullptr, kWaitSliceMilliseconds); }

void postQuitMessage(NativeWindow* window) {
    SDL_Event event = {};
    event.type = quitEventType;
    event.user.windowID = window != nullptr ? window->windowId : 0;
    SDL_PushEvent(&event);
}
