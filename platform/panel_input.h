// Settings panel input: the Dear ImGui SDL2 backend behind plain calls, so that only the platform layer sees SDL.
#pragma once

struct NativeWindow;

// Starts the backend for the window; the panel's ImGui context must be
// current. False when it cannot be started.
bool startPanelInput(NativeWindow* window);
void stopPanelInput();

// While listening, every event the window takes also reaches the panel. A
// hidden panel does not listen, so nothing piles up for it.
void setPanelInputListening(bool listening);

// The display size, clock, mouse position and buttons and the cursor shape
// for the panel's next frame.
void beginPanelInputFrame();
