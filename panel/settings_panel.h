// Settings panel: a Dear ImGui window over the finished frame that reads and sets the scene state; Tab shows or hides
// it.
#pragma once

#include "panel/input_routing.h"
#include "state/app_window.h"

// Shows or hides the panel; the choice outlives window re-creations. Hidden,
// the panel costs nothing per frame: no widgets, no drawing, no pass timing,
// and the camera reads the mouse as it always does.
void showSettingsPanel(bool shown);
bool settingsPanelShown();

// Creates the panel's ImGui context and backends for a newly created window
// whose GL context is current; closeSettingsPanel releases them, and the
// panel's textures, before the window goes.
void openSettingsPanel(AppWindow& window);
void closeSettingsPanel();

// Once per frame, before the update step: while shown, the panel's widgets
// (which change the scene state) and the camera's input for the frame.
void updateSettingsPanel();
// After the frame is drawn, before the swap: the panel over it, with the GL
// state left as the frame left it.
void drawSettingsPanel();

// What the panel takes of the mouse and the keys now (nothing while hidden).
PanelFocus settingsPanelFocus();
