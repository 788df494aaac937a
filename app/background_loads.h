// Background loads: files dropped on the window loaded on worker threads and switched in between two frames.
#pragma once

#include <string>

#include "platform/background_job.h"
#include "state/app_window.h"

// Each kind of file has one slot: a newer drop of the same kind replaces the
// pending load, whose result is discarded.
enum class LoadKind { EnvironmentMap, Model, Count };

// Starts the work of a load of the named file (shown without its folder).
// Frames go on meanwhile, and the overlay says "Loading NAME (N s)" with the
// seconds since the drop until the load's main-thread step has run.
void startBackgroundLoad(LoadKind kind, const std::string& name, BackgroundJob::Work work);
// True while a load has not been switched in.
bool backgroundLoadPending();
// Runs after each shown frame: runs the main-thread step of every finished
// load, then restarts the frame clock and the camera's clock, so that the
// time the switch took does not jump the camera or the animation; while a
// load is pending it keeps the overlay's count of seconds.
void applyFinishedLoads(AppWindow& window);
// Asks every load to stop, without waiting: the run is ending.
void cancelBackgroundLoads();
// Waits for every worker to end its current step and lets the loads go.
void endBackgroundLoads();
