// updateScene: the per-frame update step between message handling and drawing.
#include "app/keyboard_controls.h"

void updateScene(std::uint32_t /*elapsedMilliseconds*/) {}
