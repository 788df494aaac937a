// The application shell: start-up question, window life cycle and the message loop that drives the frames.
#pragma once

#include "app/command_line.h"

// Runs the program as configured; returns the process exit status.
int runApplication(const CommandLineOptions& options);
