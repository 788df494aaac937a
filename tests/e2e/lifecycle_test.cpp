// The real program through its whole life: re-creations, supersampling, every environment and mode, then Escape.
// In the sanitizer build these runs are the leak check of the program itself:
// any report ends the run with a failure status and its text on standard error.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>

#include "support/gl_test_context.h"
#include "support/program_run.h"

namespace {

// Start-up extracts the lights of three maps: slow in the sanitizer build.
constexpr int kStartMilliseconds = 60000;
constexpr int kExitMilliseconds = 30000;
constexpr int kPollMilliseconds = 20;
constexpr int kKeyMilliseconds = 15000;  // a frame takes about a second in the sanitizer build
constexpr int kKeyRepeatMilliseconds = 2000;
constexpr int kTargetsPerScene = 75;  // 11 colour targets and 64 shadow maps
constexpr int kLifecycleFrames = 30;
const char* const kTargetCreated = "Framebuffer Complete";

using Clock = std::chrono::steady_clock;

class LifecycleRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testDisplayAvailable()) {
            GTEST_SKIP() << "no DISPLAY: e2e tests run under Xvfb (scripts/test.sh)";
        }
        run_.writeFile("config.cfg", "160 120 1\n");
    }

    int targetsCreated() const { return countOccurrences(run_.readFile("Log.txt"), kTargetCreated); }

    // Holds the key until the log holds wanted target creations; false after
    // kKeyMilliseconds. The key-down is repeated now and then, as a held key
    // repeats, in case the window took focus only after the first one.
    bool holdUntilTargets(const std::string& window, const char* key, int wanted) const {
        const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kKeyMilliseconds);
        Clock::time_point pressed = Clock::now() - std::chrono::milliseconds(kKeyRepeatMilliseconds);
        while (targetsCreated() < wanted) {
            const Clock::time_point now = Clock::now();
            if (now >= deadline) {
                return false;
            }
            if (now - pressed >= std::chrono::milliseconds(kKeyRepeatMilliseconds)) {
                holdKeys(window, key, true);
                pressed = now;
            }
            sleepMilliseconds(kPollMilliseconds);
        }
        return true;
    }

    void toggleAndWaitForFirstFrame(int windowsSoFar) {
        run_.sendSignal(SIGUSR1);
        ASSERT_TRUE(run_.waitForStandardError("first frame shown", windowsSoFar + 1, kStartMilliseconds))
            << run_.standardError();
    }

    ProgramRun run_;
};

// The frame count of the latest "shutdownScene after N frames" line; -1 without one.
int framesAtLastShutdown(const std::string& errors) {
    const std::string marker = "shutdownScene after ";
    const std::size_t at = errors.rfind(marker);
    return at == std::string::npos ? -1 : std::atoi(errors.c_str() + at + marker.size());
}

void expectNoSanitizerReport(const std::string& errors) {
    EXPECT_EQ(errors.find("Sanitizer"), std::string::npos) << errors;
    EXPECT_EQ(errors.find("runtime error"), std::string::npos) << errors;
}

}  // namespace

TEST_F(LifecycleRunTest, ShortRunWithOneRecreationEndsCleanly) {
    ASSERT_TRUE(run_.start({"--windowed", "--no-dialogs", "--verbose", "--frames", "10"}));
    ASSERT_TRUE(run_.waitForStandardError("first frame shown", 1, kStartMilliseconds)) << run_.standardError();
    run_.sendSignal(SIGUSR1);
    int status = -1;
    ASSERT_TRUE(run_.waitForExit(kStartMilliseconds + kExitMilliseconds, status)) << run_.standardError();
    const std::string errors = run_.standardError();
    EXPECT_EQ(status, 0) << errors;
    EXPECT_EQ(countOccurrences(errors, "initialiseScene"), 2) << errors;
    EXPECT_EQ(framesAtLastShutdown(errors), 10) << errors;
    expectNoSanitizerReport(errors);
}

TEST_F(LifecycleRunTest, EveryControlAndTwoRecreationsThenEscapeEndCleanly) {
    ASSERT_TRUE(run_.start({"--windowed", "--no-dialogs", "--verbose"}));
    std::string window = run_.findWindow(kStartMilliseconds);
    ASSERT_FALSE(window.empty()) << run_.standardError();
    ASSERT_TRUE(run_.waitForStandardError("first frame shown", 1, kStartMilliseconds)) << run_.standardError();

    // Supersampling on, held over two frames: a held key rebuilds the targets
    // at every update, so the time between two rebuilds is this machine's frame time.
    const int atStart = targetsCreated();
    const bool firstRebuild = holdUntilTargets(window, "5", atStart + kTargetsPerScene);
    const Clock::time_point firstSeen = Clock::now();
    const bool secondRebuild = holdUntilTargets(window, "5", atStart + 2 * kTargetsPerScene);
    const double frameMilliseconds = std::chrono::duration<double, std::milli>(Clock::now() - firstSeen).count();
    holdKeys(window, "5", false);
    ASSERT_TRUE(firstRebuild && secondRebuild) << "supersampling on was not seen";
    const int beforeOff = targetsCreated();
    const bool offRebuild = holdUntilTargets(window, "4", beforeOff + kTargetsPerScene);
    holdKeys(window, "4", false);
    ASSERT_TRUE(offRebuild) << "supersampling off was not seen";

    // The other keys leave no trace outside the picture; each is held over
    // at least two frames.
    const int holdMilliseconds = static_cast<int>(2 * frameMilliseconds) + 100;
    for (const char* key : {"2", "3", "1", "F2", "F1"}) {
        holdKeys(window, key, true);
        sleepMilliseconds(holdMilliseconds);
        holdKeys(window, key, false);
    }

    ASSERT_NO_FATAL_FAILURE(toggleAndWaitForFirstFrame(1));
    ASSERT_NO_FATAL_FAILURE(toggleAndWaitForFirstFrame(2));
    // Run on until at least the life cycle's frames are drawn, then quit as a user does.
    const int framesSoFar = framesAtLastShutdown(run_.standardError());
    if (framesSoFar < kLifecycleFrames) {
        sleepMilliseconds(static_cast<int>((kLifecycleFrames - framesSoFar + 1) * frameMilliseconds));
    }
    window = run_.findWindow(kStartMilliseconds);
    ASSERT_FALSE(window.empty());
    holdKeys(window, "Escape", true);
    int status = -1;
    const bool ended = run_.waitForExit(kExitMilliseconds, status);
    holdKeys(window, "Escape", false);
    ASSERT_TRUE(ended) << "Escape did not end the run";

    const std::string errors = run_.standardError();
    EXPECT_EQ(status, 0) << errors;
    expectNoSanitizerReport(errors);
    EXPECT_EQ(countOccurrences(errors, "initialiseScene"), 3) << errors;
    EXPECT_GE(framesAtLastShutdown(errors), kLifecycleFrames) << errors;
    EXPECT_GE(targetsCreated(), beforeOff + 3 * kTargetsPerScene) << "each re-creation builds its targets";
}
