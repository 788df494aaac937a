// The settings panel in the real program: --panel and Tab show it, its exposure slider works by mouse, the pointer
// over it turns nothing, and it stays through window re-creations with the frames free of GL errors.
//
// How xdotool reaches the panel: Dear ImGui's SDL backend reads the pointer with SDL_GetGlobalMouseState, which
// `xdotool mousemove X Y` does not move under Xvfb; `xdotool mousemove_relative` does, and `mousedown` / `mouseup`
// arrive as SDL button events. So the pointer is moved relatively from where the X server says it is.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <sstream>
#include <vector>

#include "support/gl_test_context.h"
#include "support/program_run.h"

namespace {

constexpr int kLimitMilliseconds = 120000;
// Long enough for several frames of a loaded machine: a screenshot asked for by F12 has come by then.
constexpr int kShotWaitMilliseconds = 20000;
constexpr int kWidth = 480, kHeight = 360;
const char* const kConfiguration = "480 360 1\n";

// The panel's place in a 480 x 360 window: 330 pixels wide, 10 from the image's top and right edges.
constexpr int kPanelLeft = 140, kPanelRight = 470, kPanelTop = 10;
// Its exposure slider, the third row under the title bar: 0 stops sits in the middle of the slider, at (230, 92).
constexpr int kExposureX = 230, kExposureY = 92;

struct Picture {
    std::string path;
    std::vector<unsigned char> rgb;  // bottom row first, channels in FreeImage's order; empty unless 480 x 360
    // The channel of pixel (x, y), rows counted from the top.
    unsigned char channel(int x, int y, int c) const {
        return rgb[(std::size_t(kHeight - 1 - y) * kWidth + x) * 3 + c];
    }
};

Picture loadWindowPicture(const std::string& path) { return {path, loadPicture(path, kWidth, kHeight)}; }

// The mean of all channels over the rectangle [left, right) x [top, bottom), rows counted from the top.
double meanOver(const Picture& picture, int left, int top, int right, int bottom) {
    double sum = 0.0;
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            for (int c = 0; c < 3; ++c) sum += picture.channel(x, y, c);
        }
    }
    return sum / (3.0 * (right - left) * (bottom - top));
}

// The share of the panel's rectangle in the panel's own dark grey, where the scene here is bright.
double panelShare(const Picture& picture) {
    int dark = 0, all = 0;
    for (int y = kPanelTop + 30; y < kHeight - 20; ++y) {
        for (int x = kPanelLeft + 10; x < kPanelRight - 10; ++x, ++all) {
            const int r = picture.channel(x, y, 0), g = picture.channel(x, y, 1), b = picture.channel(x, y, 2);
            dark += std::max({r, g, b}) < 45 && std::max({r, g, b}) - std::min({r, g, b}) < 12;
        }
    }
    return double(dark) / all;
}

class SettingsPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testDisplayAvailable()) GTEST_SKIP() << "no DISPLAY: e2e tests run under Xvfb (scripts/test.sh)";
    }
    std::string start(std::vector<std::string> arguments) {
        run.writeFile("config.cfg", kConfiguration);
        arguments.insert(arguments.end(), {"--windowed", "--no-dialogs", "--verbose", "--frame-time", "40"});
        EXPECT_TRUE(run.start(arguments));
        const std::string window = run.findWindow(kLimitMilliseconds);
        EXPECT_TRUE(run.waitForStandardError("first frame shown", 1, kLimitMilliseconds)) << run.standardError();
        return window;
    }
    // F12, again after a while if the key came while the panel held the keyboard: the new screenshot.
    Picture shoot(const std::string& window) {
        const int before = countOccurrences(run.standardOutput(), ".png\n");
        for (int attempt = 0; attempt < kLimitMilliseconds / kShotWaitMilliseconds; ++attempt) {
            sendKeys(window, "key", "F12");
            if (waitUntil([&] { return countOccurrences(run.standardOutput(), ".png\n") > before; },
                          kShotWaitMilliseconds)) {
                break;
            }
        }
        std::istringstream lines(run.standardOutput());
        std::string path;
        for (int i = 0; i <= before; ++i) std::getline(lines, path);
        return loadWindowPicture(path);
    }
    // Moves the pointer to (x, y) of the window's client area, relatively from where it is.
    void movePointerTo(const std::string& window, int x, int y) {
        std::istringstream where(runCommand("xdotool getmouselocation --shell | head -n 2 | cut -d= -f2") + " " +
                                 runCommand("xwininfo -id " + window + " | awk '/Absolute upper-left/ {print $4}'"));
        int pointerX = 0, pointerY = 0, windowX = 0, windowY = 0;
        where >> pointerX >> pointerY >> windowX >> windowY;
        runCommand("xdotool mousemove_relative -- " + std::to_string(windowX + x - pointerX) + " " +
                   std::to_string(windowY + y - pointerY));
        sleepMilliseconds(300);
    }

    ProgramRun run;
};

}  // namespace

// One run, since start-up is the slow part: --panel, Tab, the pointer, the slider, then two window re-creations.
TEST_F(SettingsPanelTest, ShownByTheOptionAndTabItsSliderWorksThePointerOverItTurnsNothingAndItOutlivesTheWindow) {
    const std::string window = start({"--panel", "--screenshot", "last.png"});
    const Picture opened = shoot(window);
    ASSERT_FALSE(opened.rgb.empty()) << "no picture at '" << opened.path << "'\n" << run.standardError();
    EXPECT_GT(panelShare(opened), 0.4) << "--panel shows the panel over the picture";
    sendKeys(window, "key", "Tab");
    EXPECT_LT(panelShare(shoot(window)), 0.05) << "Tab hides it";
    sendKeys(window, "key", "Tab");

    // Sky above the horizon, left of the panel and below the help lines: the camera's turn shows here at once.
    const auto sky = [](const Picture& picture) { return meanOver(picture, 10, 135, 130, 170); };
    for (const auto& [x, y] : {std::pair{300, 200}, {420, 60}, {200, 300}}) movePointerTo(window, x, y);
    const Picture moved = shoot(window);
    ASSERT_FALSE(moved.rgb.empty()) << moved.path;
    EXPECT_GT(panelShare(moved), 0.4) << "Tab shows it again";
    EXPECT_NEAR(sky(moved), sky(opened), 1.0) << "the view did not turn";

    // Drags the slider's grab 60 pixels to the right: about four stops brighter.
    movePointerTo(window, kExposureX, kExposureY);
    runCommand("xdotool mousedown 1");
    for (int step = 0; step < 3; ++step) {
        runCommand("xdotool mousemove_relative -- 20 0");
        sleepMilliseconds(300);
    }
    runCommand("xdotool mouseup 1");
    const Picture brighter = shoot(window);
    ASSERT_FALSE(brighter.rgb.empty()) << brighter.path;
    const auto scene = [](const Picture& picture) { return meanOver(picture, 0, 150, kPanelLeft, 320); };
    EXPECT_GT(scene(brighter), scene(moved) + 20.0) << scene(moved) << " before";

    // To full screen and back: the panel's context goes and comes with each window.
    for (int windows = 2; windows <= 3; ++windows) {
        run.sendSignal(SIGUSR1);
        ASSERT_TRUE(run.waitForStandardError("first frame shown", windows, kLimitMilliseconds)) << run.standardError();
    }
    run.sendSignal(SIGTERM);
    ASSERT_EQ(run.waitForExit(kLimitMilliseconds), 0) << run.standardError();
    EXPECT_EQ(countOccurrences(run.standardError(), "window created (full screen, 480x360)"), 1);
    EXPECT_EQ(countOccurrences(run.standardError(), "shutdownScene"), 3) << "one scene per window";
    EXPECT_EQ(countOccurrences(run.standardError(), "window destroyed"), 3);
    const Picture last = loadWindowPicture(run.file("last.png"));
    ASSERT_FALSE(last.rgb.empty()) << run.standardError();
    EXPECT_GT(panelShare(last), 0.4) << "still shown in the third window";
    const std::string log = run.readFile("Log.txt");
    for (const char* error : {"invalid", "stack", "out of memory"}) {
        EXPECT_EQ(countOccurrences(log, error), 0) << error << " in Log.txt:\n" << log;
    }
}
