// The installed program (cmake --install into a scratch prefix) started from an empty folder with a scratch home.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/gl_test_context.h"
#include "support/program_run.h"
#include "support/scratch_directory.h"

namespace fs = std::filesystem;

namespace {

// Start-up converts three maps and a frame renders 64 shadow maps in software: generous limits.
constexpr int kLimitMilliseconds = 120000;

// The mean channel value of the top right quarter of a picture held bottom row first; -1 for no picture.
double topRightBrightness(const std::vector<unsigned char>& rgb, unsigned width, unsigned height) {
    if (rgb.empty()) return -1.0;
    double sum = 0.0;
    for (unsigned y = height / 2; y < height; ++y) {
        for (unsigned x = width / 2 * 3; x < width * 3; ++x) sum += rgb[std::size_t{y} * width * 3 + x];
    }
    return sum / (double(height / 2) * (width - width / 2) * 3);
}

class InstalledProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testDisplayAvailable()) GTEST_SKIP() << "no DISPLAY: e2e tests run under Xvfb (scripts/test.sh)";
    }
    // Runs the program from the empty start folder with the scratch home and no XDG folders of the machine's.
    int runFrom(ProgramRun& run, const std::vector<std::string>& arguments) {
        const std::vector<std::string> environment{"HOME=" + outside.file("home"), "XDG_DATA_HOME", "XDG_DATA_DIRS"};
        EXPECT_TRUE(run.start(arguments, environment));
        return run.waitForExit(kLimitMilliseconds);
    }

    ScratchDirectory outside;  // the prefix and the home, apart from the folder the program starts in
};

}  // namespace

TEST_F(InstalledProgramTest, RunsFromAnyFolderInThePerUserFolderAndKeepsAnEditedConfiguration) {
    const std::string install = "\"" CMAKE_COMMAND "\" --install \"" LUMIVOR_BUILD_DIR "\" --prefix " +
                                outside.file("prefix") + " >/dev/null 2>&1 && echo installed";
    ASSERT_EQ(runCommand(install), "installed");
    const std::string userFolder = outside.file("home/.local/share/lumivor");
    ProgramRun first(false);
    first.useProgram(outside.file("prefix/bin/lumivor"));
    ASSERT_EQ(runFrom(first, {"--windowed", "--no-dialogs", "--frames", "1", "--screenshot", "first.png"}), 0)
        << first.standardError();
    EXPECT_EQ(first.standardOutput().rfind("lumivor: running in " + userFolder + "\n", 0), 0u)
        << first.standardOutput();
    // The courtyard at the default 800 x 600: its sky fills the top right, clear of the help text.
    EXPECT_GT(topRightBrightness(loadPicture(first.file("first.png"), 800, 600), 800, 600), 40.0) << "a sky, not black";
    EXPECT_NE(readWholeFile(userFolder + "/Log.txt"), "") << "the log goes to the per-user folder";
    EXPECT_FALSE(fs::exists(first.file("Log.txt"))) << "nothing but the asked-for screenshot where it started";

    std::ofstream(userFolder + "/config.cfg") << "160 120 1\n";
    ProgramRun second(false);
    second.useProgram(outside.file("prefix/bin/lumivor"));
    ASSERT_EQ(runFrom(second, {"--windowed", "--no-dialogs", "--frames", "1", "--screenshot", "second.png"}), 0)
        << second.standardError();
    EXPECT_EQ(readWholeFile(userFolder + "/config.cfg"), "160 120 1\n");
    EXPECT_FALSE(loadPicture(second.file("second.png"), 160, 120).empty()) << "a picture of the edited size";
}

TEST_F(InstalledProgramTest, WithoutRunDataOrInstalledDataTheProgramStopsWithStatusOne) {
    ProgramRun run(false);  // the build's program: no share/lumivor beside it
    const std::vector<std::string> environment{"HOME=" + outside.file("home"), "XDG_DATA_DIRS=" + outside.path()};
    ASSERT_TRUE(run.start({"--windowed", "--no-dialogs"}, environment));
    EXPECT_EQ(run.waitForExit(kLimitMilliseconds), 1);
    EXPECT_EQ(run.standardError().rfind("Error: The working directory " + run.directory() + " holds no", 0), 0u)
        << run.standardError();
}
