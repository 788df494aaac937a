// Command-line parsing for the lumivor program.
#include "app/command_line.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "environment/environment_sources.h"
#include "environment/environment_turn.h"

namespace {

// A minute per frame: beyond it a fixed step means nothing useful.
constexpr int kMaxFrameTime = 60000;
// A model scaled beyond these is too small to see or far larger than the scene.
constexpr float kMinModelScale = 0.001f;
constexpr float kMaxModelScale = 1000.0f;

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

// The file given without an option: a map lights environment 1, the one shown first; a model stands in for the
// character.
bool useOpenedFile(CommandLineOptions& options, std::string& message) {
    const std::string& file = options.openedFile;
    if (hasEnvironmentMapExtension(file)) {
        if (!options.environmentFiles[0].empty()) {
            message =
                "'" + file + "' and --environment 1=" + options.environmentFiles[0] + " both name environment 1's map";
            return false;
        }
        options.environmentFiles[0] = file;
        return true;
    }
    if (hasFileExtension(file, "gltf") || hasFileExtension(file, "glb")) {
        if (!options.modelPath.empty()) {
            message = "'" + file + "' and --model " + options.modelPath + " both name the model";
            return false;
        }
        options.modelPath = file;
        return true;
    }
    message = "'" + file + "' is neither a map (.hdr, .exr) nor a model (.gltf, .glb)";
    return false;
}

// A name with something before the ".exr" ending.
bool endsWithExr(const char* text) {
    const std::size_t length = std::strlen(text);
    const char* const ending = ".exr";
    const std::size_t endingLength = std::strlen(ending);
    return length > endingLength && std::strcmp(text + length - endingLength, ending) == 0;
}

bool parseModelScale(const char* text, float& value) {
    errno = 0;
    char* end = nullptr;
    const float parsed = std::strtof(text, &end);
    if (errno != 0 || end == text || *end != '\0' || !(parsed >= kMinModelScale && parsed <= kMaxModelScale)) {
        return false;
    }
    value = parsed;
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
        } else if (std::strcmp(arg, "--dump-lit") == 0) {
            if (i + 1 >= argc) {
                message = "option --dump-lit needs a value";
                return CommandLineResult::Error;
            }
            const char* value = argv[++i];
            if (!endsWithExr(value)) {
                message = std::string("--dump-lit needs a file name ending in .exr, not '") + value + "'";
                return CommandLineResult::Error;
            }
            options.litDumpPath = value;
        } else if (std::strcmp(arg, "--model") == 0 || std::strcmp(arg, "--model-scale") == 0) {
            if (i + 1 >= argc) {
                message = std::string("option ") + arg + " needs a value";
                return CommandLineResult::Error;
            }
            const char* value = argv[++i];
            if (std::strcmp(arg, "--model") == 0) {
                options.modelPath = value;
            } else if (!parseModelScale(value, options.modelScale)) {
                message = std::string("--model-scale needs a number from 0.001 to 1000, not '") + value + "'";
                return CommandLineResult::Error;
            }
        } else if (std::strcmp(arg, "--actual-size") == 0) {
            options.modelActualSize = true;
        } else if (std::strcmp(arg, "--panel") == 0) {
            options.panel = true;
        } else if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            return CommandLineResult::Help;
        } else if (std::strcmp(arg, "--version") == 0) {
            return CommandLineResult::Version;
        } else if (arg[0] != '-' && arg[0] != '\0') {
            if (!options.openedFile.empty()) {
                message = "only one file may be given without an option, not also '" + std::string(arg) + "'";
                return CommandLineResult::Error;
            }
            options.openedFile = arg;
        } else {
            message = std::string("unknown option '") + arg + "'";
            return CommandLineResult::Error;
        }
    }
    if (!options.openedFile.empty() && !useOpenedFile(options, message)) {
        return CommandLineResult::Error;
    }
    if (options.windowed && options.fullScreen) {
        message = "--windowed and --fullscreen exclude each other";
        return CommandLineResult::Error;
    }
    return CommandLineResult::Run;
}

void resolveFileArguments(CommandLineOptions& options, const UserPathBase& base) {
    options.screenshotPath = absoluteUserPath(options.screenshotPath, base);
    for (std::string& file : options.environmentFiles) {
        file = absoluteUserPath(file, base);
    }
    options.litDumpPath = absoluteUserPath(options.litDumpPath, base);
    options.modelPath = absoluteUserPath(options.modelPath, base);
    options.openedFile = absoluteUserPath(options.openedFile, base);
}

std::string usageText(const char* programName) {
    std::string text = "Usage: ";
    text += programName;
    text +=
        " [options] [MAP | MODEL]\n"
        "Real-time image-based lighting demo. Reads config.cfg, Shader/, the HDR maps,\n"
        "noise.bmp and animation2.txt from the working directory and writes Log.txt there.\n"
        "Started in a folder without them, it runs in ~/.local/share/lumivor (or\n"
        "$XDG_DATA_HOME/lumivor), linked to the installed data. MAP, an .hdr or .exr file,\n"
        "lights environment 1; MODEL, a .gltf or .glb file, is used as with --model. Files may\n"
        "be given relative to the current folder or with ~/.\n"
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
        "  --dump-lit FILE.exr  at exit, write the last frame's lit image (linear radiance before\n"
        "                     bloom and tone mapping, at the window size) as a float OpenEXR file,\n"
        "                     FILE-unshadowed.exr (the same frame with no light blocked), FILE.json\n"
        "                     (camera, spheres, ground, map, character materials) and FILE.obj (the\n"
        "                     character's triangles in that frame's pose), for scripts/reference.sh\n"
        "  --model FILE       a glTF 2.0 model (.gltf with its files beside it, or .glb) stands\n"
        "                     in for the character, lit and shadowed like it\n"
        "  --model-scale S    multiplies the size of every model of the run (0.001 to 1000)\n"
        "  --actual-size      models keep their own size in metres (the character is 1.8 m tall)\n"
        "                     instead of the character's height\n"
        "  --panel            start with the settings panel shown (key Tab)\n"
        "  --help             show this text\n"
        "  --version          show the version\n"
        "\n"
        "Keys: 1/2/3 environment, F1/F2 lighting mode, 4/5 supersampling, Q/E exposure,\n"
        "I/J/K/L/U/O move the sphere, Z/X turn the environment, V marks the lights, H help,\n"
        "Tab the settings panel, mouse and W/A/S/D or arrows fly, Escape quits.\n"
        "While the panel is shown the cursor is free: drag outside the panel to turn the view.\n"
        "F12 saves a screenshot in the run directory. Dropping an .hdr or .exr file on the\n"
        "window replaces the current environment's map and lights, a .gltf or .glb file the model.\n"
        "kill -USR1 <pid> switches between full screen and windowed.\n";
    return text;
}

void applySceneOptions(const CommandLineOptions& options, SceneState& state) {
    for (float& rotation : state.environmentRotation) {
        rotation = wrapDegrees(options.environmentRotation);
    }
    state.showLightMarkers = options.lightMarkers;
}
