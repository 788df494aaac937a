// Pass timing: GL timer queries around each group of passes, for --benchmark (medians at exit) and the settings panel.
#pragma once

enum class FramePass { Shadows, Geometry, Lighting, ResolveAndBloom, CompositeAndOverlay, Count };

constexpr int kFramePassCount = static_cast<int>(FramePass::Count);

// Looks up the timer-query entry points of the current context (the
// processor clock after glFinish stands in where the driver has none) and
// forgets the query of the previous context; the loop calls it after each
// window creation.
void preparePassTiming();

// --benchmark: every frame's times are kept for the medians printed at exit.
void enablePassTiming();
// The settings panel wants the latest times while it is shown. With neither
// the benchmark nor the panel asking, the passes are not timed at all.
void setPassTimesWanted(bool wanted);

void beginPass(FramePass pass);
void endPass(FramePass pass);

// The latest timed frame's milliseconds for the pass; 0 before the first.
double latestPassTime(FramePass pass);
// Frames whose times were taken so far: a change says the latest times are new.
unsigned timedFrameCount();

// Records the wall time of a whole frame, in milliseconds.
void recordFrameTime(double milliseconds);
void recordStartupTime(double milliseconds);

// Prints start-up time, median frame time and the per-pass medians.
void printPassTimings();
