// Command-line parsing for the lumivor program.
#include "app/command_line.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "environment/environment_turn.h"

namespace {

// A minute per frame: beyond it a fixed step means nothing useful.
constexpr int kMaxFrameTime = 60000;

bool parsePositiveInt(const char* text, int& value) {
    errno = 0;
    char* end = nullptr;
    const long parsed = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || parsed < 1 || parsed > 1000000000L) {
        return false;
    }
    value = static_cast<int>(parsed);
    return true;
}

// A finite angle in degrees, written as a number and nothing else (an angle
// too large for a float reads as infinite and is refused).
bool parseDegrees(const char* text, float& value) {
    char* end = nullptr;
    const float parsed = std::strtof(text, &end);
    if (end == text || *end != '\0' || !std::isfinite(parsed)) {
        return false;
    }
    value = parsed;
    return true;
}

// "N=FILE" with N from 1 to the environment count and a non-empty FILE.
bool parseEnvironmentChoice(const char* text, CommandLineOptions& options) {
    if (text[0] < '1' || text[0] >= '1' + kEnvironmentCount || text[1] != '=' || text[2] == '\0') {
        return false;
    }
    options.environmentFiles[text[0] - '1'] = text + 2;
    return true;
}

}  // namespace

CommandLineResult parseCommandLine(int argc, const char* const* argv, CommandLineOptions& options,
                                   std::string& message) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--windowed") == 0) {
            options.windowed = true;
        } else if (std::strcmp(arg, "--fullscreen") == 0) {
            options.fullScreen = true;
        } else if (std::strcmp(arg, "--no-dialogs") == 0) {
            options.noDialogs = true;
        } else if (std::strcmp(arg, "--verbose") == 0) {
            options.verbose = true;
        } else if (std::strcmp(arg, "--benchmark") == 0) {
            options.benchmark = true;
        } else if (std::strcmp(arg, "--frames") == 0 || std::strcmp(arg, "--frame-time") == 0 ||
                   std::strcmp(arg, "--screenshot") == 0) {
            if (i + 1 >= argc) {
                message = std::string("option ") + arg + " needs a value";
                return CommandLineResult::Error;
            }
            const char* value = argv[++i];
            if (std::strcmp(arg, "--frames") == 0) {
                if (!parsePositiveInt(value, options.frameLimit)) {
                    message = std::string("--frames needs a positive whole number, not '") + value + "'";
                    return CommandLineResult::Error;
                }
            } else if (std::strcmp(arg, "--frame-time") == 0) {
                if (!parsePositiveInt(value, options.frameTime) || options.frameTime > kMaxFrameTime) {
                    message = std::string("--frame-time needs whole milliseconds from 1 to 60000, not '") + value + "'";
                    return CommandLineResult::Error;
                }
            } else {
                options.screenshotPath = value;
            }
        } else if (std::strcmp(arg, "--environment") == 0) {
            if (i + 1 >= argc) {
                message = "option --environment needs a value";
                return CommandLineResult::Error;
            }
            const char* value = argv[++i];
            if (!parseEnvironmentChoice(value, options)) {
                message = std::string("--environment needs N=FILE with N 1, 2 or 3, not '") + value + "'";
                return CommandLineResult::Error;
            }
        } else if (std::strcmp(arg, "--environment-rotation") == 0) {
            if (i + 1 >= argc) {
                message = "option --environment-rotation needs a value";
                return CommandLineResult::Error;
            }
            const char* value = argv[++i];
            if (!parseDegrees(value, options.environmentRotation)) {
                message = std::string("--environment-rotation needs an angle in degrees, not '") + value + "'";
                return CommandLineResult::Error;
            }
        } else if (std::strcmp(arg, "--light-markers") == 0) {
            options.lightMarkers = true;
        } else if (std::strcmp(arg, "--panel") == 0) {
            options.panel = true;
        } else if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            return CommandLineResult::Help;
        } else if (std::strcmp(arg, "--version") == 0) {
            return CommandLineResult::Version;
        } else {
            message = std::string("unknown option '") + arg + "'";
            return CommandLineResult::Error;
        }
    }
    if (options.windowed && options.fullScreen) {
        message = "--windowed and --fullscreen exclude each other";
        return CommandLineResult::Error;
    }
    return CommandLineResult::Run;
}

std::string usageText(const char* programName) {
    std::string text = "Usage: ";
    text += programName;
    text +=
        " [options]\n"
        "Real-time image-based lighting demo. Reads config.cfg, Shader/, the HDR maps,\n"
        "noise.bmp and animation2.txt from the working directory and writes Log.txt.\n"
        "\n"
        "Options:\n"
        "  --windowed         run in a window without asking\n"
        "  --fullscreen       run full screen without asking\n"
        "  --no-dialogs       print messages on standard error only; boxes take their default answer\n"
        "  --frames N         end the run after N frames, as Escape would\n"
        "  --frame-time MS    advance the clock by exactly MS milliseconds every frame\n"
        "                     (movement, animation, frame rate), for the same frames on every run\n"
        "  --screenshot FILE  save the last frame shown as a PNG file\n"
        "  --benchmark        at exit, print start-up time and median frame and per-pass times\n"
        "  --verbose          print window and scene life-cycle events on standard error\n"
        "  --environment N=FILE  environment N (1, 2 or 3) uses FILE, a Radiance HDR or OpenEXR\n"
        "                     latitude-longitude map, for this run; repeatable\n"
        "  --environment-rotation DEG  start every environment turned by DEG degrees about the\n"
        "                     vertical (keys Z and X turn the one shown)\n"
        "  --light-markers    start with a marker on each of the 64 lights (key V)\n"
        "  --panel            start with the settings panel shown (key Tab)\n"
        "  --help             show this text\n"
        "  --version          show the version\n"
        "\n"
        "Keys: 1/2/3 environment, F1/F2 lighting mode, 4/5 supersampling, Q/E exposure,\n"
        "I/J/K/L/U/O move the sphere, Z/X turn the environment, V marks the lights, H help,\n"
        "Tab the settings panel, mouse and W/A/S/D or arrows fly, Escape quits.\n"
        "While the panel is shown the cursor is free: drag outside the panel to turn the view.\n"
        "F12 saves a screenshot in the working directory. Dropping an .hdr or .exr file on the\n"
        "window replaces the current environment's map and lights.\n"
        "kill -USR1 <pid> switches between full screen and windowed.\n";
    return text;
}

void applySceneOptions(const CommandLineOptions& options, SceneState& state) {
    for (float& rotation : state.environmentRotation) {
        rotation = wrapDegrees(options.environmentRotation);
    }
    state.showLightMarkers = options.lightMarkers;
}
