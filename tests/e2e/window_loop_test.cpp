// The real program under Xvfb: window size, close, toggle, minimise, frame limit, exit statuses, no display.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fstream>

#include "support/gl_test_context.h"
#include "support/program_run.h"

namespace {

// Start-up converts three maps and a frame renders 64 shadow maps in software: generous limits.
constexpr int kLimitMilliseconds = 90000;

class WindowLoopTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testDisplayAvailable()) GTEST_SKIP() << "no DISPLAY: e2e tests run under Xvfb (scripts/test.sh)";
    }
    // Starts the program with the configuration and waits for its window (empty when none came).
    std::string start(const char* configuration, const std::vector<std::string>& arguments) {
        run.writeFile("config.cfg", configuration);
        EXPECT_TRUE(run.start(arguments));
        return run.findWindow(kLimitMilliseconds);
    }
    ProgramRun run;
};

// Processor time the program used, in clock ticks.
long processorTicks(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string field;
    long ticks = 0;
    for (int index = 1; index <= 15 && stat >> field; ++index) ticks += index >= 14 ? std::atol(field.c_str()) : 0;
    return ticks;
}

// Width and height in a PNG file's header; 0 x 0 when it is none.
std::pair<int, int> pngSize(const std::string& path) {
    unsigned char h[24] = {};
    if (!std::ifstream(path, std::ios::binary).read(reinterpret_cast<char*>(h), sizeof h) || h[1] != 'P') return {};
    return {(h[16] << 24) | (h[17] << 16) | (h[18] << 8) | h[19], (h[20] << 24) | (h[21] << 16) | (h[22] << 8) | h[23]};
}

}  // namespace

TEST_F(WindowLoopTest, ClientAreaHasTheConfiguredSizeAndClosingTheWindowEndsTheRunWithStatusZero) {
    const std::string window = start("640 480 1\n", {"--windowed", "--no-dialogs"});
    ASSERT_FALSE(window.empty()) << run.standardError();
    const std::string info = "xwininfo -id " + window + " | awk '/Width:|Height:/ {printf \"%s \", $2}'";
    EXPECT_EQ(runCommand(info), "640 480");
    sendKeys(window, "key", "alt+F4");  // the window manager turns it into a close request
    EXPECT_EQ(run.waitForExit(kLimitMilliseconds), 0) << "closing did not end the run";
}

TEST_F(WindowLoopTest, ToggleSignalRecreatesWindowAndSceneInTheOtherModeAndTheRunGoesOn) {
    start("320 240 1\n", {"--windowed", "--no-dialogs", "--verbose"});
    for (int scene = 2; scene <= 3; ++scene) {
        ASSERT_TRUE(run.waitForStandardError("initialiseScene", scene - 1, kLimitMilliseconds));
        run.sendSignal(SIGUSR1);
        ASSERT_TRUE(run.waitForStandardError("initialiseScene", scene, kLimitMilliseconds)) << run.standardError();
    }
    EXPECT_EQ(countOccurrences(run.standardError(), "window created (full screen, 320x240)"), 1);
    EXPECT_TRUE(run.running());
    run.sendSignal(SIGTERM);  // SDL turns it into a quit request
    EXPECT_EQ(run.waitForExit(kLimitMilliseconds), 0);
    EXPECT_EQ(countOccurrences(run.standardError(), "shutdownScene"), 3);
    EXPECT_EQ(countOccurrences(run.standardError(), "window destroyed"), 3);
}

TEST_F(WindowLoopTest, MinimisingStopsTheFramesAndAfterRestoringTheFrameLimitEndsTheRunAndSavesTheLastFrame) {
    const std::string window = start("320 240 1\n", {"--windowed", "--no-dialogs", "--verbose", "--frames", "40",
                                                     "--screenshot", "last.png"});
    ASSERT_FALSE(window.empty());
    ASSERT_TRUE(run.waitForStandardError("first frame shown", 1, kLimitMilliseconds));
    // A minimised window waits for messages: the program uses no processor time over two readings a second
    // apart once the frame in flight is done, however busy the machine is.
    runCommand("xdotool windowminimize --sync " + window);
    long previous = processorTicks(run.pid());
    int quiet = 0;
    for (int waited = 0; waited < kLimitMilliseconds && quiet < 2; waited += 1000) {
        sleepMilliseconds(1000);
        const long now = processorTicks(run.pid());
        quiet = now - previous <= 1 ? quiet + 1 : 0;
        previous = now;
    }
    EXPECT_EQ(quiet, 2) << "frames went on while minimised";
    EXPECT_TRUE(run.running()) << "the frame limit was reached before the window was minimised";
    runCommand("xdotool windowactivate --sync " + window + " 2>/dev/null");
    EXPECT_EQ(run.waitForExit(kLimitMilliseconds), 0) << "frames did not resume";
    EXPECT_EQ(countOccurrences(run.standardError(), "shutdownScene after 40 frames"), 1) << run.standardError();
    EXPECT_EQ(pngSize(run.file("last.png")), std::make_pair(320, 240));
}

TEST_F(WindowLoopTest, ExitStatusesOfRunsWithoutADisplayWithoutAWindowAndWithAnUnknownOption) {
    // SDL falls back to its offscreen driver: the run still draws and saves its frames.
    run.writeFile("config.cfg", "160 120 1\n");
    ASSERT_TRUE(run.start({"--windowed", "--frames", "5", "--screenshot", "headless.png"}, {"DISPLAY="}));
    EXPECT_EQ(run.waitForExit(kLimitMilliseconds), 0) << run.standardError();
    EXPECT_EQ(pngSize(run.file("headless.png")), std::make_pair(160, 120)) << run.standardError();

    ProgramRun tooLarge;
    tooLarge.writeFile("config.cfg", "70000 70000 1\n");
    ASSERT_TRUE(tooLarge.start({"--windowed", "--no-dialogs"}));
    EXPECT_EQ(tooLarge.waitForExit(kLimitMilliseconds), 1);
    EXPECT_EQ(countOccurrences(tooLarge.standardError(), "Error: Error Creating OpenGL Window"), 1);

    ProgramRun unknown;
    ASSERT_TRUE(unknown.start({"--frobnicate"}));
    EXPECT_EQ(unknown.waitForExit(kLimitMilliseconds), 2);
    EXPECT_NE(unknown.standardError().find("unknown option '--frobnicate'"), std::string::npos);
}
