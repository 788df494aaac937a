// The SDL objects behind a NativeWindow, for the platform files that work on them.
#pragma once

#include <SDL.h>

struct NativeWindow {
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    Uint32 windowId = 0;
};
