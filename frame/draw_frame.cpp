// drawFrame: runs the frame's passes in their fixed order.
#include "frame/draw_frame.h"

void drawFrame() {}
