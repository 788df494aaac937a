// Pass timing for --benchmark: GL timer queries around each group of passes, medians printed at exit.
#pragma once

enum class FramePass { Shadows, Geometry, Lighting, ResolveAndBloom, CompositeAndOverlay, Count };

// Turns timing on (looks up the timer-query entry points; falls back to the
// processor clock after glFinish where the driver has no timer queries).
void enablePassTiming();

void beginPass(FramePass pass);
void endPass(FramePass pass);

// Records the wall time of a whole frame, in milliseconds.
void recordFrameTime(double milliseconds);
void recordStartupTime(double milliseconds);

// Prints start-up time, median frame time and the per-pass medians.
void printPassTimings();
