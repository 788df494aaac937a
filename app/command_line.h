// Command-line options: answers to the start-up question, dialogs, frame limit, fixed frame time, screenshot, maps,
// a file opened without an option, the scene's starting turn and light markers, a user's model, the settings panel,
// help and version.
#pragma once

#include <string>

#include "app/user_path.h"
#include "environment/environment_lights.h"
#include "state/scene_state.h"

struct CommandLineOptions {
    bool windowed = false;    // answer the start-up question with No
    bool fullScreen = false;  // answer it with Yes
    bool noDialogs = false;   // message boxes go to standard error only
    bool verbose = false;     // window and scene life-cycle lines on standard error
    bool benchmark = false;   // print start-up, frame and per-pass timings at exit
    int frameLimit = 0;       // end the run after this many frames; 0 runs until quit
    int frameTime = 0;        // milliseconds every frame advances the clock by; 0 reads the real clock
    std::string screenshotPath;
    std::string litDumpPath;  // --dump-lit: the last frame's lit image (an .exr file) and its scene description
    std::string environmentFiles[kEnvironmentCount];  // --environment N=FILE: the file environment N - 1 reads; empty
                                                      // keeps the built-in one
    std::string openedFile;            // a file given without an option, as a desktop's "Open with" passes it
    float environmentRotation = 0.0f;  // --environment-rotation DEG: all environments start turned by DEG
    bool lightMarkers = false;         // --light-markers: start with the lights marked on the sky (key V)
    std::string modelPath;             // --model FILE: a glTF model in place of the character
    float modelScale = 1.0f;           // --model-scale S: multiplies the model's size
    bool modelActualSize = false;      // --actual-size: the model in its own metres
    bool panel = false;                // --panel: start with the settings panel shown (key Tab)
    bool showHelp = false;
    bool showVersion = false;
};

enum class CommandLineResult { Run, Help, Version, Error };

// Parses argv; on Error, message says what was wrong.
CommandLineResult parseCommandLine(int argc, const char* const* argv, CommandLineOptions& options,
                                   std::string& message);

// Makes every file the user named absolute (absoluteUserPath), before the program changes into its run directory.
void resolveFileArguments(CommandLineOptions& options, const UserPathBase& base);

std::string usageText(const char* programName);

// The options' starting values of the scene state: every environment's turn and the light markers.
void applySceneOptions(const CommandLineOptions& options, SceneState& state);
