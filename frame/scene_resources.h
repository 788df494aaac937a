// SceneResources: what the passes of a frame share, created by initialiseScene and released by shutdownScene.
#pragma once

#include "app/app_window.h"

struct SceneResources {
    AppWindow* window = nullptr;  // the window the scene was initialised for
    KeyState* keys = nullptr;     // its key table, read by the update step
};

SceneResources& sceneResources();
