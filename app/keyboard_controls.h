// updateScene: turns held and tapped keys into scene changes, then advances camera, animation and the frame counter.
#pragma once

#include <cstdint>

void updateScene(std::uint32_t elapsedMilliseconds);
