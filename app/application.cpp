// Entry point logic: configuration, start-up question, the outer loop that re-creates window and scene, the frame loop.
#include "app/application.h"

#include <chrono>
#include <cstdarg>
#include <cstdio>

#include "app/background_loads.h"
#include "app/file_drop.h"
#include "app/frame_clock.h"
#include "app/keyboard_controls.h"
#include "app/lit_dump.h"
#include "app/model_loading.h"
#include "app/screenshot.h"
#include "app/screenshot_key.h"
#include "app/window_procedure.h"
#include "environment/environment_sources.h"
#include "frame/draw_frame.h"
#include "frame/pass_timer.h"
#include "frame/scene_lifecycle.h"
#include "gpu/projections.h"
#include "panel/settings_panel.h"
#include "platform/message_box.h"
#include "platform/native_window.h"
#include "platform/platform_services.h"
#include "state/app_config.h"
#include "state/app_window.h"
#include "state/scene_state.h"

namespace {

const char* const kWindowTitle = "Lumivor - a median-cut image-based lighting demo by the Lumivor developers";

AppInstance appInstance;
AppWindow appWindow;
KeyState keyState;

bool verbose = false;

void trace(const char* format, ...) {
    if (!verbose) {
        return;
    }
    std::va_list arguments;
    va_start(arguments, format);
    std::fputs("lumivor: ", stderr);
    std::vfprintf(stderr, format, arguments);
    std::fputc('\n', stderr);
    std::fflush(stderr);
    va_end(arguments);
}

bool registerWindowClass(AppInstance& /*instance*/) {
    if (!startVideo()) {
        platform().showMessage("Error", "RegisterClassEx Failed!", MessageIcon::Warning);
        return false;
    }
    return true;
}

bool createAppWindow(AppWindow& window) {
    WindowFrame frame = WindowFrame::ClientSized;
    if (window.isFullScreen == 1) {
        if (changeScreenResolution(window.width, window.height, window.bitsPerPixel)) {
            frame = WindowFrame::FullScreen;
        } else {
            platform().showMessage("Error", "Mode Switch Failed.\nRunning In Windowed Mode.", MessageIcon::Warning);
            window.isFullScreen = 0;
            frame = WindowFrame::OuterSized;
        }
    }
    window.native = createNativeWindow(window.title.c_str(), window.width, window.height, frame);
    if (window.native == nullptr) {
        return false;
    }
    if (frame == WindowFrame::FullScreen) {
        showSystemCursor(false);
    }
    window.isVisible = 1;
    setPerspectiveProjection(window.width, window.height);
    window.keys->clear();
    window.lastTickCount = platform().ticks();
    trace("window created (%s, %dx%d)", window.isFullScreen == 1 ? "full screen" : "windowed", window.width,
          window.height);
    return true;
}

void destroyAppWindow(AppWindow& window) {
    if (window.native != nullptr) {
        destroyNativeWindow(window.native);
        window.native = nullptr;
    }
    if (window.isFullScreen == 1) {
        showSystemCursor(true);  // the display mode returns with the window
    }
    trace("window destroyed");
}

// Runs frames until the quit message arrives; drives --frames and --screenshot.
class FrameLoop {
public:
    using Clock = std::chrono::steady_clock;

    FrameLoop(const CommandLineOptions& options, FrameClock& clock)
        : options_(options), clock_(clock), started_(Clock::now()) {}

    void run(AppWindow& window) {
        framesInWindow_ = 0;
        for (;;) {
            WindowMessage message;
            if (peekMessage(window.native, message)) {
                if (message.type == MessageType::Quit) {
                    break;
                }
                windowProc(window, message);
            } else if (window.isVisible == 1) {
                drawOneFrame(window);
            } else {
                waitMessage();
            }
        }
    }

    // A run ended by a message (window closed, SIGTERM) never passed through
    // the last-frame capture; the last frame shown is in the front buffer.
    void captureIfPending(AppWindow& window) {
        if (!options_.screenshotPath.empty() && !screenshotTaken_ && framesDrawn_ > 0 && programRunning == 0) {
            takeScreenshot(window, true);
        }
        if (framesDrawn_ > 0 && programRunning == 0) {
            dumpLitIfAsked();
        }
    }

    int framesDrawn() const { return framesDrawn_; }
    // A lit-image dump was asked for and could not be written.
    bool litDumpFailed() const { return litDumpFailed_; }

private:
    void drawOneFrame(AppWindow& window) {
        updateSettingsPanel();  // its widgets change the scene state like keys do
        clock_.updateFrame(window);
        ++framesDrawn_;
        if (options_.frameLimit > 0 && framesDrawn_ >= options_.frameLimit && programRunning == 1) {
            terminateApplication(window);  // as Escape would: this frame is still drawn and shown
        }
        drawFrame();
        drawSettingsPanel();              // over the overlay, in the screenshots too
        saveRequestedScreenshot(window);  // F12
        if (programRunning == 0 && !options_.screenshotPath.empty()) {
            takeScreenshot(window, false);
        }
        if (programRunning == 0) {
            dumpLitIfAsked();
        }
        swapNativeWindow(window.native);
        applyFinishedLoads(window);  // between two frames
        if (++framesInWindow_ == 1) {
            trace("first frame shown");
        }
        if (options_.benchmark) {
            const Clock::time_point now = Clock::now();
            if (framesDrawn_ == 1) {
                recordStartupTime(std::chrono::duration<double, std::milli>(now - started_).count());
            } else {
                recordFrameTime(std::chrono::duration<double, std::milli>(now - lastSwap_).count());
            }
            lastSwap_ = now;
        }
    }

    void takeScreenshot(AppWindow& window, bool frontBuffer) {
        if (saveScreenshot(window, options_.screenshotPath, frontBuffer)) {
            std::fprintf(stderr, "lumivor: screenshot saved to %s\n", options_.screenshotPath.c_str());
        }
        screenshotTaken_ = true;
    }

    // The targets still hold the last frame; the dump reads them once.
    void dumpLitIfAsked() {
        if (!options_.litDumpPath.empty() && !litDumped_) {
            litDumpFailed_ = !dumpLitImage(options_.litDumpPath);
            litDumped_ = true;
        }
    }

    const CommandLineOptions& options_;
    FrameClock& clock_;
    Clock::time_point started_;
    Clock::time_point lastSwap_;
    int framesDrawn_ = 0;
    int framesInWindow_ = 0;
    bool screenshotTaken_ = false;
    bool litDumped_ = false;
    bool litDumpFailed_ = false;
};

}  // namespace

int runApplication(const CommandLineOptions& options) {
    verbose = options.verbose;
    for (int environment = 0; environment < kEnvironmentCount; ++environment) {
        setEnvironmentFile(environment, options.environmentFiles[environment]);
    }
    applySceneOptions(options, sceneState());
    showSettingsPanel(options.panel);
    AppConfig& config = appConfig();
    config.load();
    setModelRunOptions({{options.modelScale, options.modelActualSize}, options.verbose});
    if (!options.modelPath.empty()) {
        loadStartModel(options.modelPath);  // a refused model leaves the built-in character
    }

    appWindow = AppWindow();
    keyState.clear();
    appWindow.keys = &keyState;
    appWindow.application = &appInstance;
    appWindow.title = kWindowTitle;
    appWindow.width = config.getWidth();
    appWindow.height = config.getHeight();
    appWindow.bitsPerPixel = 32;
    appWindow.isFullScreen = 1;

    if (options.windowed) {
        appWindow.isFullScreen = 0;
    } else if (!options.fullScreen &&
               !platform().askYesNo("Start FullScreen?", "Would You Like To Run In Fullscreen Mode?")) {
        appWindow.isFullScreen = 0;
    }

    if (!registerWindowClass(appInstance)) {
        platform().showMessage("Error", "Error Registering Window Class!", MessageIcon::Warning);
        return -1;
    }

    // A fixed frame time replaces the clock for the whole run, window re-creations included.
    FrameClock frameClock(static_cast<std::uint32_t>(options.frameTime));

    int exitStatus = 0;
    programRunning = 1;
    fullscreenRequested = appWindow.isFullScreen;
    FrameLoop loop(options, frameClock);
    while (programRunning == 1) {
        appWindow.isFullScreen = fullscreenRequested;
        if (!createAppWindow(appWindow)) {
            platform().showMessage("Error", "Error Creating OpenGL Window", MessageIcon::Warning);
            programRunning = 0;
            exitStatus = 1;  // a run that never opened its window has failed
            break;
        }
        trace("initialiseScene");
        initialiseScene(appWindow, keyState);
        openSettingsPanel(appWindow);
        preparePassTiming();  // the timer queries belong to this window's context
        if (options.benchmark) {
            enablePassTiming();
        }
        loop.run(appWindow);
        if (programRunning == 0) {
            cancelBackgroundLoads();  // told now, so the workers stop while the scene shuts down
        }
        loop.captureIfPending(appWindow);
        trace("shutdownScene after %d frames", loop.framesDrawn());
        closeSettingsPanel();
        shutdownScene();
        destroyAppWindow(appWindow);
    }
    endBackgroundLoads();
    stopVideo();
    printPassTimings();
    if (loop.litDumpFailed()) {
        exitStatus = 1;  // the files asked for are missing
    }
    return exitStatus;
}
