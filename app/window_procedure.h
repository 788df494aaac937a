// The window procedure: applies one window message to the AppWindow and the key table.
#pragma once

#include "app/app_window.h"
#include "platform/native_window.h"

void windowProc(AppWindow& window, const WindowMessage& message);

// Posts the quit message to the window and stops the outer loop.
void terminateApplication(AppWindow& window);
