// Scene initialisation and shutdown; the window loop brackets every window's life with them.
#include "frame/scene_lifecycle.h"

#include "frame/scene_resources.h"

bool initialiseScene(AppWindow& window, KeyState& keys) {
    SceneResources& resources = sceneResources();
    resources.window = &window;
    resources.keys = &keys;
    return true;
}

void shutdownScene() {}
