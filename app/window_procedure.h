// The window procedure: applies one window message to the AppWindow and the key table.
#pragma once

#include "platform/native_window.h"
#include "state/app_window.h"

// 1 while the program keeps re-creating its window; cleared to end the run.
extern int programRunning;
// The full-screen choice for the next window; flipped by the toggle message.
extern int fullscreenRequested;

void windowProc(AppWindow& window, const WindowMessage& message);

// Posts the quit message to the window and stops the outer loop.
void terminateApplication(AppWindow& window);
