// The real program's keys reach it through the window manager: one run per key family, each ended by a held Escape.
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
constexpr int kTargetsPerScene = 75;

// RGB bytes of the run's last frame, bottom row first; empty when unreadable or of another size.
std::vector<unsigned char> loadPicture(const std::string& path) {
    std::vector<unsigned char> rgb;
    FIBITMAP* bitmap = FreeImage_Load(FIF_PNG, path.c_str(), 0);
    if (bitmap != nullptr && static_cast<int>(FreeImage_GetWidth(bitmap)) == kWidth &&
        static_cast<int>(FreeImage_GetHeight(bitmap)) == kHeight && FreeImage_GetBPP(bitmap) == 24) {
        for (int y = 0; y < kHeight; ++y) {
            const BYTE* row = FreeImage_GetScanLine(bitmap, y);
            for (int x = 0; x < kWidth; ++x) {
                rgb.insert(rgb.end(), {row[x * 3 + FI_RGBA_RED], row[x * 3 + FI_RGBA_GREEN], row[x * 3 + FI_RGBA_BLUE]});
            }
        }
    }
    FreeImage_Unload(bitmap);
    return rgb;
}

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testDisplayAvailable()) {
            GTEST_SKIP() << "no DISPLAY: e2e tests run under Xvfb (scripts/test.sh)";
        }
    }

    // Starts the program, waits for its first frame, holds the keys and
    // waits for the event (a log text appearing) when one is given, then
    // holds Escape as well: the update step that sees Escape still sees the
    // held keys, and its frame is the one saved. Returns that frame.
    std::vector<unsigned char> runHolding(ProgramRun& run, const std::string& keys, const std::string& logText = "",
                                          int logCount = 0) {
        run.writeFile("config.cfg", "320 240 1\n");
        EXPECT_TRUE(run.start({"--windowed", "--no-dialogs", "--verbose", "--screenshot", "last.png"}));
        const std::string window = run.findWindow(kLimitMilliseconds);
        EXPECT_TRUE(run.waitForStandardError("first frame shown", 1, kLimitMilliseconds)) << run.standardError();
        holdKeys(window, keys, true);
        for (int waited = 0; !logText.empty() && countOccurrences(run.readFile("Log.txt"), logText) < logCount &&
                             waited < kLimitMilliseconds;
             waited += 50) {
            sleepMilliseconds(50);
        }
        holdKeys(window, keys + " Escape", true);
        int status = -1;
        const bool ended = run.waitForExit(kLimitMilliseconds, status);
        holdKeys(window, keys + " Escape", false);
        EXPECT_TRUE(ended) << "Escape did not end the run";
        EXPECT_EQ(status, 0) << run.standardError();
        return loadPicture(run.file("last.png"));
    }
};

// Pure white pixels in the upper left quarter: in the grey occlusion image only the overlay text is white.
int helpTextPixels(const std::vector<unsigned char>& rgb) {
    int count = 0;
    for (int y = kHeight / 2; y < kHeight; ++y) {
        for (int x = 0; x < kWidth / 2; ++x) {
            const unsigned char* p = &rgb[(y * kWidth + x) * 3];
            count += p[0] == 255 && p[1] == 255 && p[2] == 255 ? 1 : 0;
        }
    }
    return count;
}

}  // namespace

TEST_F(ControlsTest, DigitKeysReachTheProgramAndSupersamplingRebuildsEveryTarget) {
    ProgramRun run;
    runHolding(run, "5", "Framebuffer Complete", 2 * kTargetsPerScene);
    const std::string log = run.readFile("Log.txt");
    const int complete = countOccurrences(log, "Framebuffer Complete");
    EXPECT_GE(complete, 2 * kTargetsPerScene);
    EXPECT_EQ(complete % kTargetsPerScene, 0);
    EXPECT_EQ(countOccurrences(log, "\n\n"), 10 + complete) << "only shader and target entries";
}

TEST_F(ControlsTest, FunctionAndLetterKeysReachTheProgram) {
    ProgramRun shownRun;
    const std::vector<unsigned char> shown = runHolding(shownRun, "F2");
    ProgramRun hiddenRun;
    const std::vector<unsigned char> hidden = runHolding(hiddenRun, "F2 h");
    ASSERT_FALSE(shown.empty() || hidden.empty());
    // F2: the grey occlusion image.
    int worst = 0;
    for (std::size_t i = 0; i < shown.size(); i += 3) {
        worst = std::max({worst, std::abs(shown[i] - shown[i + 1]), std::abs(shown[i + 1] - shown[i + 2])});
    }
    EXPECT_LE(worst, 2);
    // h: the help lines fill the upper left; hidden, one short line is left.
    EXPECT_LT(helpTextPixels(hidden) * 3, helpTextPixels(shown));
}

TEST_F(ControlsTest, F12SavesATimeStampedScreenshotOfAMapChosenOnTheCommandLine) {
    ProgramRun run;
    run.writeFile("config.cfg", "320 240 1\n");
    // A blue sky replaces the orange courtyard of environment 1.
    FreeImage_Initialise(FALSE);
    FIBITMAP* sky = FreeImage_AllocateT(FIT_RGBF, 64, 32);
    for (int y = 0; y < 32; ++y) {
        FIRGBF* row = reinterpret_cast<FIRGBF*>(FreeImage_GetScanLine(sky, y));
        for (int x = 0; x < 64; ++x) row[x] = {0.1f, 0.3f, 2.0f};
    }
    ASSERT_TRUE(FreeImage_Save(FIF_EXR, sky, run.file("blue.exr").c_str(), 0));
    FreeImage_Unload(sky);
    ASSERT_TRUE(run.start({"--windowed", "--no-dialogs", "--verbose", "--environment", "1=blue.exr"}));
    const std::string window = run.findWindow(kLimitMilliseconds);
    ASSERT_FALSE(window.empty());
    ASSERT_TRUE(run.waitForStandardError("first frame shown", 1, kLimitMilliseconds)) << run.standardError();
    pressKeys(window, "F12");
    for (int waited = 0; waited < kLimitMilliseconds && run.standardOutput().find(".png") == std::string::npos;
         waited += 100) {
        sleepMilliseconds(100);
    }
    run.sendSignal(SIGTERM);
    int status = -1;
    ASSERT_TRUE(run.waitForExit(kLimitMilliseconds, status));
    const std::string path = run.standardOutput().substr(0, run.standardOutput().find('\n'));
    const std::string name = path.substr(path.rfind('/') + 1);
    EXPECT_EQ(path, run.directory() + "/" + name);
    EXPECT_EQ(name.size(), std::string("lumivor-YYYYMMDD-HHMMSS.png").size()) << name;
    EXPECT_EQ(name.rfind("lumivor-20", 0), 0u) << name;
    const std::vector<unsigned char> shot = loadPicture(path);
    ASSERT_FALSE(shot.empty()) << "a 320 x 240 PNG at " << path;
    // Upper half (rows are bottom first): the blue sky; lower half: the lit ground and figures.
    double blue = 0.0, red = 0.0, lower = 0.0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const unsigned char* p = &shot[(y * kWidth + x) * 3];
            if (y >= kHeight / 2) {
                blue += p[2];
                red += p[0];
            } else {
                lower += p[0] + p[1] + p[2];
            }
        }
    }
    const double half = kWidth * kHeight / 2.0;
    EXPECT_GT(blue / half, red / half + 40.0);
    EXPECT_GT(lower / (3.0 * half), 20.0) << "the lit ground and figures, not a blank frame";
}
