// Command-line parsing: the options a user and a test need, and the refusal of anything else.
#include <gtest/gtest.h>

#include "app/command_line.h"

namespace {

CommandLineResult parse(std::vector<const char*> arguments, CommandLineOptions& options, std::string& message) {
    std::vector<const char*> argv{"lumivor"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return parseCommandLine(static_cast<int>(argv.size()), argv.data(), options, message);
}

}  // namespace

TEST(CommandLineTest, ReadsEveryRunOption) {
    CommandLineOptions options;
    std::string message;
    ASSERT_EQ(parse({"--windowed", "--no-dialogs", "--frames", "30", "--screenshot", "shot.png", "--verbose",
                     "--environment", "3=maps/a=b.exr", "--environment", "1=sky.hdr"},
                    options, message),
              CommandLineResult::Run);
    EXPECT_TRUE(options.windowed);
    EXPECT_FALSE(options.fullScreen);
    EXPECT_TRUE(options.noDialogs);
    EXPECT_TRUE(options.verbose);
    EXPECT_EQ(options.frameLimit, 30);
    EXPECT_EQ(options.screenshotPath, "shot.png");
    EXPECT_EQ(options.environmentFiles[0], "sky.hdr");
    EXPECT_EQ(options.environmentFiles[1], "");
    EXPECT_EQ(options.environmentFiles[2], "maps/a=b.exr");
}

TEST(CommandLineTest, RefusesUnknownOptionsAndBadValues) {
    const std::vector<std::vector<const char*>> bad = {
        {"--bogus"}, {"--frames"}, {"--frames", "0"}, {"--frames", "12x"}, {"--frames", "-3"},
        {"--screenshot"}, {"--windowed", "--fullscreen"}, {"extra"}, {"--environment"}, {"--environment", "4=a.hdr"},
        {"--environment", "0=a.hdr"}, {"--environment", "2="}, {"--environment", "a.hdr"}, {"--environment", "22=a"},
    };
    for (const auto& arguments : bad) {
        CommandLineOptions options;
        std::string message;
        EXPECT_EQ(parse(arguments, options, message), CommandLineResult::Error) << arguments[0];
        EXPECT_FALSE(message.empty());
    }
}

TEST(CommandLineTest, HelpAndVersionStopBeforeRunning) {
    CommandLineOptions options;
    std::string message;
    EXPECT_EQ(parse({"--help"}, options, message), CommandLineResult::Help);
    EXPECT_EQ(parse({"--version"}, options, message), CommandLineResult::Version);
    EXPECT_NE(usageText("lumivor").find("--screenshot FILE"), std::string::npos);
}
