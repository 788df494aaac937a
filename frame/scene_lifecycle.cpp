// Scene initialisation and shutdown; the window loop brackets every window's life with them.
#include "frame/scene_lifecycle.h"

bool initialiseScene(AppWindow& /*window*/, KeyState& /*keys*/) {
    // The frame pipeline's resources are created here once it exists.
    return true;
}

void shutdownScene() {}
