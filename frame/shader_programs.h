// The renderer's shader programs: their source files and load order (the slot numbers are in state/program_slots.h).
#pragma once

#include "state/program_slots.h"

// Checks the extensions, allocates the slots and builds every program in its
// load order; each build writes one entry to the log.
void loadScenePrograms();
