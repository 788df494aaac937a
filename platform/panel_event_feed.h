// Panel event feed: the message pump hands each SDL event to the settings panel while it listens (platform only).
#pragma once

#include <SDL.h>

void feedPanelEvent(const SDL_Event& event);
