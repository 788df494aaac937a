// The real program's controls and start-up rules, driven through the window manager with held keys.
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

struct Picture {
    std::vector<unsigned char> rgb;  // bottom row first
    bool valid = false;

    double meanLuminance(int x0, int y0, int x1, int y1) const {
        double sum = 0.0;
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) {
                const unsigned char* p = &rgb[(y * kWidth + x) * 3];
                sum += 0.2126 * p[0] + 0.7152 * p[1] + 0.0722 * p[2];
            }
        }
        return sum / ((x1 - x0) * (y1 - y0));
    }
    double channelMean(int channel, int y0, int y1) const {
        double sum = 0.0;
        for (int y = y0; y < y1; ++y) {
            for (int x = 0; x < kWidth; ++x) sum += rgb[(y * kWidth + x) * 3 + channel];
        }
        return sum / (kWidth * (y1 - y0));
    }
    int brightPixels(int x0, int y0, int x1, int y1) const {
        int count = 0;
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) {
                const unsigned char* p = &rgb[(y * kWidth + x) * 3];
                if (p[0] == 255 && p[1] == 255 && p[2] == 255) ++count;
            }
        }
        return count;
    }
};

Picture loadPicture(const std::string& path) {
    Picture picture;
    FIBITMAP* bitmap = FreeImage_Load(FIF_PNG, path.c_str(), 0);
    if (bitmap == nullptr) return picture;
    if (static_cast<int>(FreeImage_GetWidth(bitmap)) == kWidth &&
        static_cast<int>(FreeImage_GetHeight(bitmap)) == kHeight && FreeImage_GetBPP(bitmap) == 24) {
        picture.rgb.resize(kWidth * kHeight * 3);
        for (int y = 0; y < kHeight; ++y) {
            const BYTE* row = FreeImage_GetScanLine(bitmap, y);
            for (int x = 0; x < kWidth; ++x) {
                picture.rgb[(y * kWidth + x) * 3 + 0] = row[x * 3 + FI_RGBA_RED];
                picture.rgb[(y * kWidth + x) * 3 + 1] = row[x * 3 + FI_RGBA_GREEN];
                picture.rgb[(y * kWidth + x) * 3 + 2] = row[x * 3 + FI_RGBA_BLUE];
            }
        }
        picture.valid = true;
    }
    FreeImage_Unload(bitmap);
    return picture;
}

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testDisplayAvailable()) {
            GTEST_SKIP() << "no DISPLAY: e2e tests run under Xvfb (scripts/test.sh)";
        }
        run_ = std::make_unique<ProgramRun>();
        run_->writeFile("config.cfg", "320 240 1\n");
    }

    // Starts the program, holds each key in turn across several frames, then
    // holds Escape; the picture is the last frame shown.
    Picture runWithKeys(const std::vector<std::string>& keys, int holdMilliseconds = 2500) {
        EXPECT_TRUE(run_->start({"--windowed", "--no-dialogs", "--verbose", "--screenshot", "last.png"}));
        const std::string window = run_->findWindow(kLimitMilliseconds);
        EXPECT_FALSE(window.empty());
        EXPECT_TRUE(run_->waitForStandardError("first frame shown", 1, kLimitMilliseconds)) << run_->standardError();
        for (const std::string& key : keys) {
            holdKeys(window, key, true);
            sleepMilliseconds(holdMilliseconds);
            holdKeys(window, key, false);
            sleepMilliseconds(1500);  // the release reaches the update step too
        }
        holdKeys(window, "Escape", true);
        const bool ended = run_->waitForExit(kLimitMilliseconds, status_);
        holdKeys(window, "Escape", false);
        EXPECT_TRUE(ended) << "Escape did not end the run";
        EXPECT_EQ(status_, 0) << run_->standardError();
        return loadPicture(run_->file("last.png"));
    }

    std::unique_ptr<ProgramRun> run_;
    int status_ = -1;
};

}  // namespace

TEST_F(ControlsTest, EnvironmentKeysChangeTheSky) {
    const Picture courtyard = runWithKeys({});
    ASSERT_TRUE(courtyard.valid);
    SetUp();
    const Picture field = runWithKeys({"2"});
    ASSERT_TRUE(field.valid);
    SetUp();
    const Picture studio = runWithKeys({"3"});
    ASSERT_TRUE(studio.valid);
    // Upper half of the picture, right of the overlay text: all sky.
    const int top = kHeight / 2;
    EXPECT_GT(field.channelMean(2, top, kHeight) - field.channelMean(0, top, kHeight),
              courtyard.channelMean(2, top, kHeight) - courtyard.channelMean(0, top, kHeight) + 30.0);
    EXPECT_LT(studio.meanLuminance(160, top, kWidth, kHeight), 0.5 * courtyard.meanLuminance(160, top, kWidth, kHeight));
}

TEST_F(ControlsTest, F12SavesATimeStampedScreenshotOfAMapChosenOnTheCommandLine) {
    // A blue sky replaces the orange courtyard of environment 1.
    FreeImage_Initialise(FALSE);
    FIBITMAP* sky = FreeImage_AllocateT(FIT_RGBF, 64, 32);
    for (int y = 0; y < 32; ++y) {
        FIRGBF* row = reinterpret_cast<FIRGBF*>(FreeImage_GetScanLine(sky, y));
        for (int x = 0; x < 64; ++x) row[x] = {0.1f, 0.3f, 2.0f};
    }
    ASSERT_TRUE(FreeImage_Save(FIF_EXR, sky, run_->file("blue.exr").c_str(), 0));
    FreeImage_Unload(sky);
    ASSERT_TRUE(run_->start({"--windowed", "--no-dialogs", "--verbose", "--environment", "1=blue.exr"}));
    const std::string window = run_->findWindow(kLimitMilliseconds);
    ASSERT_FALSE(window.empty());
    ASSERT_TRUE(run_->waitForStandardError("first frame shown", 1, kLimitMilliseconds)) << run_->standardError();
    pressKeys(window, "F12");
    for (int waited = 0; waited < 30000 && run_->standardOutput().find(".png") == std::string::npos; waited += 100) {
        sleepMilliseconds(100);
    }
    run_->sendSignal(SIGTERM);
    ASSERT_TRUE(run_->waitForExit(kLimitMilliseconds, status_));
    const std::string path = run_->standardOutput().substr(0, run_->standardOutput().find('\n'));
    const std::string name = path.substr(path.rfind('/') + 1);
    EXPECT_EQ(path, run_->directory() + "/" + name);
    EXPECT_EQ(name.size(), std::string("lumivor-YYYYMMDD-HHMMSS.png").size()) << name;
    EXPECT_EQ(name.rfind("lumivor-20", 0), 0u) << name;
    const Picture shot = loadPicture(path);
    ASSERT_TRUE(shot.valid) << "a 320 x 240 PNG at " << path;
    const int top = kHeight / 2;
    EXPECT_GT(shot.channelMean(2, top, kHeight), shot.channelMean(0, top, kHeight) + 40.0);
    EXPECT_GT(shot.meanLuminance(0, 0, kWidth, top), 20.0) << "the lit ground and figures, not a blank frame";
}

TEST_F(ControlsTest, F2ShowsTheGreyOcclusionImage) {
    const Picture picture = runWithKeys({"F2"});
    ASSERT_TRUE(picture.valid);
    int worst = 0;
    for (std::size_t i = 0; i < picture.rgb.size(); i += 3) {
        worst = std::max({worst, std::abs(picture.rgb[i] - picture.rgb[i + 1]),
                          std::abs(picture.rgb[i + 1] - picture.rgb[i + 2])});
    }
    EXPECT_LE(worst, 2);
}

TEST_F(ControlsTest, SupersamplingKeysRebuildAllSeventyFiveTargetsEachFrameTheyAreHeld) {
    runWithKeys({"5", "4"});
    const int complete = countOccurrences(run_->readFile("Log.txt"), "Framebuffer Complete");
    // 75 at start-up, 75 more for every update that saw 5 or 4 held.
    EXPECT_GE(complete, 3 * 75);
    EXPECT_EQ(complete % 75, 0);
    EXPECT_EQ(countOccurrences(run_->readFile("Log.txt"), "\n\n"), 10 + complete) << "only shader and target entries";
}

TEST_F(ControlsTest, HoldingHHidesTheHelpOnce) {
    // In the grey occlusion image only the overlay text is pure white.
    const Picture shown = runWithKeys({"F2"});
    SetUp();
    const Picture hidden = runWithKeys({"F2", "h"}, 4000);
    ASSERT_TRUE(shown.valid && hidden.valid);
    // The help lines fill the upper left; hidden, one short line is left.
    const int shownText = shown.brightPixels(0, kHeight / 2, kWidth / 2, kHeight);
    const int hiddenText = hidden.brightPixels(0, kHeight / 2, kWidth / 2, kHeight);
    EXPECT_LT(hiddenText * 3, shownText);
}

TEST_F(ControlsTest, HoldingQBrightensThePicture) {
    const Picture normal = runWithKeys({});
    SetUp();
    const Picture brighter = runWithKeys({"q"}, 1000);
    ASSERT_TRUE(normal.valid && brighter.valid);
    EXPECT_GT(brighter.meanLuminance(0, 0, kWidth, kHeight / 2), normal.meanLuminance(0, 0, kWidth, kHeight / 2) + 15.0);
}

TEST_F(ControlsTest, SphereKeysMoveTheSphere) {
    const Picture before = runWithKeys({});
    SetUp();
    const Picture after = runWithKeys({"j"}, 1500);  // about three units toward -x
    ASSERT_TRUE(before.valid && after.valid);
    // The mirror sphere stands right of the character; moved, its place shows the background.
    double change = 0.0;
    for (int y = 50; y < 120; ++y) {
        for (int x = 200; x < 240; ++x) {
            const int i = (y * kWidth + x) * 3;
            change += std::abs(before.rgb[i] - after.rgb[i]) + std::abs(before.rgb[i + 2] - after.rgb[i + 2]);
        }
    }
    EXPECT_GT(change / (70 * 40), 10.0);
}

TEST_F(ControlsTest, WithoutTheNoiseMapStartUpEndsWithItsMessageAndAFailureStatus) {
    run_->removeFile("noise.bmp");
    ASSERT_TRUE(run_->start({"--windowed", "--no-dialogs"}));
    int status = -1;
    ASSERT_TRUE(run_->waitForExit(kLimitMilliseconds, status));
    EXPECT_NE(status, 0);
    EXPECT_NE(run_->standardError().find("Error: Failed to open DIB file noise.bmp."), std::string::npos)
        << run_->standardError();
}

TEST_F(ControlsTest, AMissingShaderFileIsLoggedWithItsSlotAndTheRunGoesOn) {
    run_->ownCopy("Shader");
    run_->removeFile("Shader/pp.fsh");
    runWithKeys({}, 0);
    const std::string log = run_->readFile("Log.txt");
    const bool named = log.find("Shader Linker Error! ID: 4: ") != std::string::npos ||
                       log.find("PS Compiling Error! ID: 4: ") != std::string::npos;
    EXPECT_TRUE(named) << log.substr(0, 400);
}

TEST_F(ControlsTest, AMissingCharacterFileIsReportedAndTheRunGoesOn) {
    run_->removeFile("animation2.txt");
    runWithKeys({}, 0);
    EXPECT_NE(run_->standardError().find("Error: Cant find .mdq!"), std::string::npos) << run_->standardError();
}
