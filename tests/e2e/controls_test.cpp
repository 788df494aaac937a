// The real program's keys reach it through the window manager: one run per key family.
#include <gtest/gtest.h>

#include <FreeImage.h>

#include <csignal>
#include <cstdlib>
#include <vector>

#include "support/gl_test_context.h"
#include "support/program_run.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr int kLimitMilliseconds = 120000;

// RGB bytes of a 320 x 240 PNG, bottom row first; empty when unreadable or of another size.
std::vector<unsigned char> loadPicture(const std::string& path) {
    std::vector<unsigned char> rgb;
    FIBITMAP* bitmap = FreeImage_Load(FIF_PNG, path.c_str(), 0);
    if (bitmap != nullptr && FreeImage_GetWidth(bitmap) == kWidth && FreeImage_GetHeight(bitmap) == kHeight &&
        FreeImage_GetBPP(bitmap) == 24) {
        for (int y = 0; y < kHeight; ++y) {
            const BYTE* p = FreeImage_GetScanLine(bitmap, y);
            for (int x = 0; x < kWidth; ++x, p += 3) rgb.insert(rgb.end(), {p[FI_RGBA_RED], p[FI_RGBA_GREEN], p[FI_RGBA_BLUE]});
        }
    }
    FreeImage_Unload(bitmap);
    return rgb;
}

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testDisplayAvailable()) GTEST_SKIP() << "no DISPLAY: e2e tests run under Xvfb (scripts/test.sh)";
    }

    // Starts the program and waits for its first frame; its window.
    std::string start(ProgramRun& run, std::vector<std::string> arguments) {
        run.writeFile("config.cfg", "320 240 1\n");
        arguments.insert(arguments.end(), {"--windowed", "--no-dialogs", "--verbose"});
        EXPECT_TRUE(run.start(arguments));
        const std::string window = run.findWindow(kLimitMilliseconds);
        EXPECT_TRUE(run.waitForStandardError("first frame shown", 1, kLimitMilliseconds)) << run.standardError();
        return window;
    }

    // Holds the keys until the log holds logText logCount times (when given), then holds Escape as well: the
    // update step that sees Escape still sees the keys, and its frame is the one saved. Returns that frame.
    std::vector<unsigned char> runHolding(ProgramRun& run, const std::string& keys, const std::string& logText = "",
                                          int logCount = 0) {
        const std::string window = start(run, {"--screenshot", "last.png"});
        sendKeys(window, "keydown", keys);
        EXPECT_TRUE(waitUntil([&] { return logText.empty() || countOccurrences(run.readFile("Log.txt"), logText) >= logCount; },
                              kLimitMilliseconds));
        sendKeys(window, "keydown", keys + " Escape");
        const int status = run.waitForExit(kLimitMilliseconds);
        sendKeys(window, "keyup", keys + " Escape");
        EXPECT_EQ(status, 0) << "Escape ends the run\n" << run.standardError();
        return loadPicture(run.file("last.png"));
    }
};

// Pure white pixels in the upper left quarter: in the grey occlusion image only the overlay text is white.
int helpTextPixels(const std::vector<unsigned char>& rgb) {
    int count = 0;
    for (int y = kHeight / 2; y < kHeight; ++y) {
        for (int x = 0; x < kWidth / 2; ++x) count += (rgb[(y * kWidth + x) * 3] & rgb[(y * kWidth + x) * 3 + 1] & rgb[(y * kWidth + x) * 3 + 2]) == 255;
    }
    return count;
}

}  // namespace

TEST_F(ControlsTest, DigitFunctionAndLetterKeysReachTheProgram) {
    // 5 switches supersampling: the scene's 75 targets are made again while the keys are held.
    ProgramRun shownRun, hiddenRun;
    const std::vector<unsigned char> shown = runHolding(shownRun, "F2");
    const std::vector<unsigned char> hidden = runHolding(hiddenRun, "5 F2 h", "Framebuffer Complete", 2 * 75);
    ASSERT_FALSE(shown.empty() || hidden.empty());
    int worst = 0;  // F2: the grey occlusion image
    for (std::size_t i = 0; i < shown.size(); i += 3) {
        worst = std::max({worst, std::abs(shown[i] - shown[i + 1]), std::abs(shown[i + 1] - shown[i + 2])});
    }
    EXPECT_LE(worst, 2);
    // h: the help lines fill the upper left; hidden, one short line is left.
    EXPECT_LT(helpTextPixels(hidden) * 3, helpTextPixels(shown));
}

TEST_F(ControlsTest, F12SavesATimeStampedScreenshotOfAMapChosenOnTheCommandLine) {
    ProgramRun run;
    FreeImage_Initialise(FALSE);  // a blue sky replaces the orange courtyard of environment 1
    FIBITMAP* sky = FreeImage_AllocateT(FIT_RGBF, 64, 32);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 64; ++x) reinterpret_cast<FIRGBF*>(FreeImage_GetScanLine(sky, y))[x] = {0.1f, 0.3f, 2.0f};
    }
    ASSERT_TRUE(FreeImage_Save(FIF_EXR, sky, run.file("blue.exr").c_str(), 0));
    FreeImage_Unload(sky);
    const std::string window = start(run, {"--environment", "1=blue.exr"});
    sendKeys(window, "key", "F12");
    EXPECT_TRUE(waitUntil([&] { return run.standardOutput().find(".png\n") != std::string::npos; }, kLimitMilliseconds));
    run.sendSignal(SIGTERM);
    ASSERT_EQ(run.waitForExit(kLimitMilliseconds), 0);
    const std::string path = run.standardOutput().substr(0, run.standardOutput().find('\n'));
    const std::string name = path.substr(path.rfind('/') + 1);
    EXPECT_EQ(path, run.directory() + "/" + name);
    EXPECT_EQ(name.size(), std::string("lumivor-YYYYMMDD-HHMMSS.png").size()) << name;
    EXPECT_EQ(name.rfind("lumivor-20", 0), 0u) << name;
    const std::vector<unsigned char> shot = loadPicture(path);
    ASSERT_FALSE(shot.empty()) << "a 320 x 240 PNG at " << path;
    // Upper half (rows are bottom first): the blue sky; lower half: the lit ground and figures.
    double blue = 0.0, red = 0.0, lower = 0.0;
    for (std::size_t i = 0; i < shot.size(); i += 3) {
        if (i >= shot.size() / 2) {
            blue += shot[i + 2];
            red += shot[i];
        } else {
            lower += shot[i] + shot[i + 1] + shot[i + 2];
        }
    }
    const double half = kWidth * kHeight / 2.0;
    EXPECT_GT(blue / half, red / half + 40.0);
    EXPECT_GT(lower / (3.0 * half), 20.0) << "the lit ground and figures, not a blank frame";
}
