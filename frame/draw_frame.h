// drawFrame: the fixed sequence of passes that makes one frame.
#pragma once

void drawFrame();
