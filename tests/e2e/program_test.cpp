// The real program under Xvfb: window, minimising, exit statuses, the lit dump, a key tap, F12 and a load.
#include <FreeImage.h>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <numeric>
#include <vector>

#include "support/gl_test_context.h"
#include "support/program_run.h"
#include "support/radiance_map.h"

namespace {

// Start-up converts three maps and a frame renders 64 shadow maps in software: generous limits.
constexpr int kLimitMilliseconds = 120000;

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testDisplayAvailable()) GTEST_SKIP() << "no DISPLAY: e2e tests run under Xvfb (scripts/test.sh)";
    }
    // Starts the program windowed with the configuration; its window once the first frame is shown.
    std::string start(ProgramRun& run, std::vector<std::string> arguments, const char* configuration = "320 240 1\n") {
        run.writeFile("config.cfg", configuration);
        arguments.insert(arguments.end(), {"--windowed", "--no-dialogs", "--verbose"});
        EXPECT_TRUE(run.start(arguments));
        const std::string window = run.findWindow(kLimitMilliseconds);
        EXPECT_TRUE(run.waitForStandardError("first frame shown", 1, kLimitMilliseconds)) << run.standardError();
        return window;
    }
    // Taps the key for 20 ms while the frames run, supersampled and so slow, then holds Escape until the run
    // ends. Returns the frame saved last: drawn by the update that saw the tap or after it.
    std::vector<unsigned char> runTapping(ProgramRun& run, const std::string& key) {
        const std::string window = start(run, {"--screenshot", "last.png"}, "320 240 2\n");
        tapKey(window, key, 20);
        sendKeys(window, "keydown", "Escape");
        const int status = run.waitForExit(kLimitMilliseconds);
        sendKeys(window, "keyup", "Escape");
        EXPECT_EQ(status, 0) << "Escape ends the run\n" << run.standardError();
        return loadPicture(run.file("last.png"));
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

}  // namespace

TEST_F(ProgramTest, ClientAreaHasTheConfiguredSizeAndClosingTheWindowEndsTheRunWithStatusZero) {
    const std::string window = start(run, {}, "640 480 1\n");
    const std::string info = "xwininfo -id " + window + " | awk '/Width:|Height:/ {printf \"%s \", $2}'";
    EXPECT_EQ(runCommand(info), "640 480");
    sendKeys(window, "key", "alt+F4");  // the window manager turns it into a close request
    EXPECT_EQ(run.waitForExit(kLimitMilliseconds), 0) << "closing did not end the run";
}

TEST_F(ProgramTest, MinimisingStopsTheFramesAndAfterRestoringTheFrameLimitEndsTheRunAndSavesTheLastFrame) {
    const std::string window = start(run, {"--frames", "40", "--screenshot", "last.png"});
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
    EXPECT_FALSE(loadPicture(run.file("last.png")).empty()) << "a 320 x 240 picture of the last frame";
}

TEST_F(ProgramTest, ExitStatusesOfRunsWithoutADisplayWithoutAWindowAndWithAnUnknownOption) {
    // SDL falls back to its offscreen driver: the run still draws and saves its frames.
    run.writeFile("config.cfg", "160 120 1\n");
    ASSERT_TRUE(run.start({"--windowed", "--frames", "5", "--screenshot", "headless.png"}, {"DISPLAY="}));
    EXPECT_EQ(run.waitForExit(kLimitMilliseconds), 0) << run.standardError();
    EXPECT_FALSE(loadPicture(run.file("headless.png"), 160, 120).empty()) << run.standardError();
    ProgramRun tooLarge, unknown;
    tooLarge.writeFile("config.cfg", "70000 70000 1\n");
    ASSERT_TRUE(tooLarge.start({"--windowed", "--no-dialogs"}));
    ASSERT_TRUE(unknown.start({"--frobnicate"}));
    EXPECT_EQ(tooLarge.waitForExit(kLimitMilliseconds), 1);
    EXPECT_EQ(countOccurrences(tooLarge.standardError(), "Error: Error Creating OpenGL Window"), 1);
    EXPECT_EQ(unknown.waitForExit(kLimitMilliseconds), 2);
    EXPECT_EQ(countOccurrences(unknown.standardError(), "unknown option '--frobnicate'"), 1);
}

TEST_F(ProgramTest, TheLitDumpWritesBothImagesTheSceneAndTheMeshAndOneThatCannotBeWrittenFailsTheRun) {
    ProgramRun unwritable;
    run.writeFile("config.cfg", "160 120 1\n");
    ASSERT_TRUE(run.start({"--windowed", "--no-dialogs", "--frames", "2", "--dump-lit", "lit.exr"}));
    ASSERT_TRUE(unwritable.start({"--windowed", "--no-dialogs", "--frames", "1", "--dump-lit", "missing/lit.exr"}));
    EXPECT_EQ(run.waitForExit(kLimitMilliseconds), 0) << run.standardError();
    for (const char* name : {"lit.exr", "lit-unshadowed.exr"}) {
        FIBITMAP* image = FreeImage_Load(FIF_EXR, run.file(name).c_str(), 0);
        EXPECT_EQ(FreeImage_GetImageType(image), FIT_RGBF) << name;
        EXPECT_EQ(FreeImage_GetWidth(image), 160u) << name;
        EXPECT_EQ(FreeImage_GetHeight(image), 120u) << name;
        FreeImage_Unload(image);
    }
    EXPECT_NE(run.readFile("lit.json").find("\"mesh\": \"lit.obj\""), std::string::npos);
    EXPECT_GT(countOccurrences(run.readFile("lit.obj"), "\nf "), 1000) << "the character's triangles";
    EXPECT_EQ(unwritable.waitForExit(kLimitMilliseconds), 1);
    // The path as the program resolved it from where it was started.
    EXPECT_EQ(countOccurrences(unwritable.standardError(), "could not write the lit image /"), 1);
    EXPECT_EQ(countOccurrences(unwritable.standardError(), "/missing/lit.exr\n"), 1);
}

// A frame takes far longer than a tap: pressed and released between two updates, F2 still switches. Held keys and
// their repeats are the unit tests' (KeyboardControlsTest), the keys' translation VirtualKeysTest's.
TEST_F(ProgramTest, ATwentyMillisecondTapOfF2DuringASlowFrameSwitchesToTheOcclusionImage) {
    const std::vector<unsigned char> shown = runTapping(run, "F2");
    ASSERT_FALSE(shown.empty()) << "the tapped run's last frame";
    // The grey occlusion image, supersampled.
    int colourfulness = 0;
    for (std::size_t i = 0; i < shown.size(); i += 3) {
        colourfulness =
            std::max({colourfulness, std::abs(shown[i] - shown[i + 1]), std::abs(shown[i + 1] - shown[i + 2])});
    }
    EXPECT_LE(colourfulness, 2) << "F2 tapped for 20 ms";
}

// The gl tests show what a chosen map gives; here that the option reaches the program.
TEST_F(ProgramTest, F12SavesATimeStampedScreenshotAndAMapChosenOnTheCommandLineIsRead) {
    sendKeys(start(run, {"--environment", "3=missing.exr"}), "key", "F12");
    EXPECT_TRUE(
        waitUntil([&] { return run.standardOutput().find(".png\n") != std::string::npos; }, kLimitMilliseconds));
    run.sendSignal(SIGTERM);
    ASSERT_EQ(run.waitForExit(kLimitMilliseconds), 0);
    const std::string missing = "lumivor: Environment map \"" + run.file("missing.exr") + "\" cannot be used: ";
    EXPECT_EQ(countOccurrences(run.standardError(), missing), 1) << "named from where the program started";
    const std::string path = run.standardOutput().substr(0, run.standardOutput().find('\n'));
    EXPECT_EQ(path.rfind(run.directory() + "/lumivor-20", 0), 0u) << path << ": in the working directory";
    const std::vector<unsigned char> shot = loadPicture(path);
    ASSERT_FALSE(shot.empty()) << "a 320 x 240 PNG at " << path;
    EXPECT_GT(std::accumulate(shot.begin(), shot.end(), 0.0) / shot.size(), 20.0) << "a lit frame, not a blank one";
}

TEST_F(ProgramTest, ALoadGoesOnAcrossAWindowRecreationAndQuittingStopsItAndEndsTheRunWithStatusZero) {
    // A 16384 x 8192 map takes many seconds to decode: the toggle and the quit request arrive while it does.
    run.writeFile("huge.hdr", discMap(16384, 8192, 4096, 2048, 200));
    run.writeFile("config.cfg", "160 120 1\n");
    ASSERT_TRUE(run.start({"--windowed", "--no-dialogs", "--verbose"}, {"LUMIVOR_TEST_DROP_FILE=huge.hdr"}));
    ASSERT_TRUE(run.waitForStandardError("first frame shown", 1, kLimitMilliseconds)) << run.standardError();
    EXPECT_EQ(countOccurrences(run.standardError(), "loading huge.hdr for environment 1"), 1) << run.standardError();
    run.sendSignal(SIGUSR1);
    ASSERT_TRUE(run.waitForStandardError("first frame shown", 2, kLimitMilliseconds)) << run.standardError();
    run.sendSignal(SIGTERM);
    EXPECT_EQ(run.waitForExit(kLimitMilliseconds), 0) << run.standardError();
    EXPECT_EQ(countOccurrences(run.standardError(), "stopped loading huge.hdr"), 1) << run.standardError();
    EXPECT_EQ(countOccurrences(run.standardError(), "now uses"), 0) << "the load was stopped, not finished";
}
