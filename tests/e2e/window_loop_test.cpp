// The real program under Xvfb: frame limit, window size, Escape, close, toggle, minimise, no display.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fstream>

#include "support/gl_test_context.h"
#include "support/program_run.h"

namespace {

// Start-up converts three HDR maps and a frame renders 64 shadow maps in
// software: generous limits keep a loaded machine from failing a healthy run.
constexpr int kStartMilliseconds = 90000;
constexpr int kExitMilliseconds = 90000;

class WindowLoopTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testDisplayAvailable()) {
            GTEST_SKIP() << "no DISPLAY: e2e tests run under Xvfb (scripts/test.sh)";
        }
    }
};

// Client size of an X window as xwininfo reports it.
void clientSize(const std::string& window, int& width, int& height) {
    width = std::atoi(runCommand("xwininfo -id " + window + " | awk '/Width:/ {print $2}'").c_str());
    height = std::atoi(runCommand("xwininfo -id " + window + " | awk '/Height:/ {print $2}'").c_str());
}

// Processor time the program used, in clock ticks.
long processorTicks(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string field;
    long ticks = 0;
    for (int index = 1; index <= 15 && stat >> field; ++index) {
        if (index == 14 || index == 15) {
            ticks += std::atol(field.c_str());
        }
    }
    return ticks;
}

// Waits until the program uses no processor time over two readings a second
// apart: a waiting program gets no ticks however busy the machine is.
bool waitUntilIdle(pid_t pid, int timeoutMilliseconds) {
    long previous = processorTicks(pid);
    int quietReadings = 0;
    for (int waited = 0; waited < timeoutMilliseconds && quietReadings < 2; waited += 1000) {
        sleepMilliseconds(1000);
        const long now = processorTicks(pid);
        quietReadings = now - previous <= 1 ? quietReadings + 1 : 0;
        previous = now;
    }
    return quietReadings == 2;
}

// Width and height stored in a PNG file's header.
bool pngSize(const std::string& path, int& width, int& height) {
    std::ifstream png(path, std::ios::binary);
    unsigned char header[24] = {};
    if (!png.read(reinterpret_cast<char*>(header), sizeof header) || header[1] != 'P' || header[2] != 'N') {
        return false;
    }
    width = (header[16] << 24) | (header[17] << 16) | (header[18] << 8) | header[19];
    height = (header[20] << 24) | (header[21] << 16) | (header[22] << 8) | header[23];
    return true;
}

}  // namespace

TEST_F(WindowLoopTest, FrameLimitEndsTheRunWithStatusZeroAndSavesTheLastFrame) {
    ProgramRun run;
    run.writeFile("config.cfg", "320 240 1\n");
    ASSERT_TRUE(run.start({"--windowed", "--no-dialogs", "--verbose", "--frames", "30", "--screenshot", "last.png"}));
    int status = -1;
    ASSERT_TRUE(run.waitForExit(kExitMilliseconds, status)) << run.standardError();
    EXPECT_EQ(status, 0) << run.standardError();
    EXPECT_NE(run.standardError().find("shutdownScene after 30 frames"), std::string::npos) << run.standardError();
    int width = 0, height = 0;
    ASSERT_TRUE(pngSize(run.file("last.png"), width, height));
    EXPECT_EQ(width, 320);
    EXPECT_EQ(height, 240);
}

TEST_F(WindowLoopTest, ClientAreaHasTheConfiguredSizeAndEscapeEndsTheRun) {
    ProgramRun run;
    run.writeFile("config.cfg", "640 480 1\n");
    ASSERT_TRUE(run.start({"--windowed", "--no-dialogs", "--verbose"}));
    const std::string window = run.findWindow(kStartMilliseconds);
    ASSERT_FALSE(window.empty()) << run.standardError();
    int width = 0, height = 0;
    clientSize(window, width, height);
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 480);
    ASSERT_TRUE(run.waitForStandardError("first frame shown", 1, kStartMilliseconds));
    // Held like a user's key: a tap shorter than a frame is never seen by the update step.
    holdKeys(window, "Escape", true);
    int status = -1;
    const bool ended = run.waitForExit(kExitMilliseconds, status);
    holdKeys(window, "Escape", false);
    ASSERT_TRUE(ended) << "Escape did not end the run";
    EXPECT_EQ(status, 0);
}

TEST_F(WindowLoopTest, ClosingTheWindowEndsTheRunWithStatusZero) {
    ProgramRun run;
    run.writeFile("config.cfg", "320 240 1\n");
    ASSERT_TRUE(run.start({"--windowed", "--no-dialogs"}));
    const std::string window = run.findWindow(kStartMilliseconds);
    ASSERT_FALSE(window.empty());
    // The window manager turns Alt+F4 into a close request to the focused window.
    pressKeys(window, "alt+F4");
    int status = -1;
    ASSERT_TRUE(run.waitForExit(kExitMilliseconds, status)) << "closing did not end the run";
    EXPECT_EQ(status, 0);
}

TEST_F(WindowLoopTest, ToggleSignalRecreatesWindowAndSceneInTheOtherModeAndTheRunGoesOn) {
    ProgramRun run;
    run.writeFile("config.cfg", "320 240 1\n");
    ASSERT_TRUE(run.start({"--windowed", "--no-dialogs", "--verbose"}));
    ASSERT_TRUE(run.waitForStandardError("initialiseScene", 1, kStartMilliseconds));
    run.sendSignal(SIGUSR1);
    ASSERT_TRUE(run.waitForStandardError("initialiseScene", 2, kStartMilliseconds)) << run.standardError();
    EXPECT_NE(run.standardError().find("window created (full screen, 320x240)"), std::string::npos);
    run.sendSignal(SIGUSR1);
    ASSERT_TRUE(run.waitForStandardError("initialiseScene", 3, kStartMilliseconds)) << run.standardError();
    EXPECT_TRUE(run.running());
    run.sendSignal(SIGTERM);  // SDL turns it into a quit request
    int status = -1;
    ASSERT_TRUE(run.waitForExit(kExitMilliseconds, status));
    EXPECT_EQ(status, 0);
    const std::string log = run.standardError();
    EXPECT_EQ(countOccurrences(log, "shutdownScene"), 3);
    EXPECT_EQ(countOccurrences(log, "window destroyed"), 3);
}

TEST_F(WindowLoopTest, MinimisingStopsTheFramesAndRestoringResumesThem) {
    ProgramRun run;
    run.writeFile("config.cfg", "320 240 1\n");
    ASSERT_TRUE(run.start({"--windowed", "--no-dialogs", "--verbose", "--frames", "40"}));
    const std::string window = run.findWindow(kStartMilliseconds);
    ASSERT_FALSE(window.empty());
    ASSERT_TRUE(run.waitForStandardError("first frame shown", 1, kStartMilliseconds));
    // A visible window renders without pause; a minimised one waits for
    // messages, so the program falls idle once the frame in flight is done.
    runCommand("xdotool windowminimize --sync " + window);
    EXPECT_TRUE(waitUntilIdle(run.pid(), kExitMilliseconds)) << "frames went on while minimised";
    EXPECT_TRUE(run.running()) << "the frame limit was reached before the window was minimised";
    // Restored, the frames resume until the frame limit ends the run.
    runCommand("xdotool windowactivate --sync " + window + " 2>/dev/null");
    int status = -1;
    ASSERT_TRUE(run.waitForExit(kExitMilliseconds, status)) << "frames did not resume";
    EXPECT_EQ(status, 0);
    EXPECT_EQ(countOccurrences(run.standardError(), "shutdownScene after 40 frames"), 1) << run.standardError();
}

// SDL falls back to its offscreen driver: the run draws its frames and saves the last one.
TEST_F(WindowLoopTest, WithoutADisplayTheRunStillDrawsAndSavesItsFrames) {
    ProgramRun run;
    run.writeFile("config.cfg", "160 120 1\n");
    ASSERT_TRUE(run.start({"--windowed", "--frames", "5", "--screenshot", "headless.png"}, {"DISPLAY="}));
    int status = -1;
    ASSERT_TRUE(run.waitForExit(kExitMilliseconds, status)) << "the run hung without a display";
    EXPECT_EQ(status, 0) << run.standardError();
    int width = 0, height = 0;
    ASSERT_TRUE(pngSize(run.file("headless.png"), width, height)) << run.standardError();
    EXPECT_EQ(width, 160);
}

TEST_F(WindowLoopTest, AWindowThatCannotBeCreatedEndsTheRunWithAMessageAndAFailureStatus) {
    ProgramRun run;
    run.writeFile("config.cfg", "70000 70000 1\n");
    ASSERT_TRUE(run.start({"--windowed", "--no-dialogs"}));
    int status = -1;
    ASSERT_TRUE(run.waitForExit(kExitMilliseconds, status));
    EXPECT_NE(status, 0);
    EXPECT_NE(run.standardError().find("Error: Error Creating OpenGL Window"), std::string::npos);
}

TEST_F(WindowLoopTest, UnknownOptionsAreRefusedWithStatusTwo) {
    ProgramRun run;
    ASSERT_TRUE(run.start({"--frobnicate"}));
    int status = -1;
    ASSERT_TRUE(run.waitForExit(kExitMilliseconds, status));
    EXPECT_EQ(status, 2);
    EXPECT_NE(run.standardError().find("unknown option '--frobnicate'"), std::string::npos);
}
