// Pass time plot: the settings panel's stacked plot of the per-pass frame times over the last seconds, with a legend.
#pragma once

#include "panel/pass_time_history.h"

// Draws, at the cursor and the given width, the history as stacked bars (one
// colour per pass, the newest on the right) under a scale line, then a
// legend with the latest slot's milliseconds per pass.
void drawPassTimePlot(const PassTimeHistory& history, float width, float height);
