// Settings panel input on SDL2: Dear ImGui's SDL backend started per window and fed the window's events.
#include "platform/panel_input.h"

#include <backends/imgui_impl_sdl.h>

#include "platform/panel_event_feed.h"
#include "platform/sdl_window.h"

namespace {

bool started = false;
bool listening = false;

}  // namespace

bool startPanelInput(NativeWindow* window) {
    if (window == nullptr || started) {
        return false;
    }
    started = ImGui_ImplSDL2_InitForOpenGL(window->window, window->context);
    return started;
}

void stopPanelInput() {
    if (!started) {
        return;
    }
    setPanelInputListening(false);
    ImGui_ImplSDL2_Shutdown();
    started = false;
}

void setPanelInputListening(bool listen) {
    if (listening && !listen) {
        // A drag on the panel may have captured the mouse, and the pointer may
        // wear a text or resize cursor: a hidden panel gives both back.
        SDL_CaptureMouse(SDL_FALSE);
        SDL_SetCursor(SDL_GetDefaultCursor());
    }
    listening = listen && started;
}

void beginPanelInputFrame() {
    if (started) {
        ImGui_ImplSDL2_NewFrame();
    }
}

void feedPanelEvent(const SDL_Event& event) {
    if (listening) {
        ImGui_ImplSDL2_ProcessEvent(&event);
    }
}
