// Command-line parsing: the options a user and a test need, and the refusal of anything else.
#include <gtest/gtest.h>

#include <iterator>
#include <sstream>

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
                     "--environment", "3=maps/a=b.exr", "--environment", "1=sky.hdr", "--frame-time", "40",
                     "--dump-lit", "out/lit.exr", "--model", "robot.glb", "--model-scale", "2.5", "--actual-size"},
                    options, message),
              CommandLineResult::Run);
    EXPECT_EQ(options.litDumpPath, "out/lit.exr");
    EXPECT_TRUE(options.windowed);
    EXPECT_FALSE(options.fullScreen);
    EXPECT_TRUE(options.noDialogs);
    EXPECT_TRUE(options.verbose);
    EXPECT_EQ(options.frameLimit, 30);
    EXPECT_EQ(options.screenshotPath, "shot.png");
    EXPECT_EQ(options.frameTime, 40);
    EXPECT_EQ(std::vector<std::string>(options.environmentFiles, options.environmentFiles + 3),
              (std::vector<std::string>{"sky.hdr", "", "maps/a=b.exr"}));
    EXPECT_EQ(options.modelPath, "robot.glb");
    EXPECT_EQ(options.modelScale, 2.5f);
    EXPECT_TRUE(options.modelActualSize);
}

TEST(CommandLineTest, RefusesUnknownOptionsAndBadValues) {
    for (const std::string line : {"--bogus",
                                   "--frames",
                                   "--frames 0",
                                   "--frames 12x",
                                   "--windowed --fullscreen",
                                   "--environment",
                                   "--environment 4=a.hdr",
                                   "--environment 0=a.hdr",
                                   "--environment 2=",
                                   "--environment 22=a",
                                   "--frame-time 0",
                                   "--frame-time 60001",
                                   "--dump-lit",
                                   "--dump-lit lit.png",
                                   "--dump-lit .exr",
                                   "--model",
                                   "--model-scale 0",
                                   "--model-scale 2x",
                                   "--model-scale 1e9",
                                   "--model-scale nan"}) {
        std::istringstream words(line);
        const std::vector<std::string> arguments{std::istream_iterator<std::string>(words), {}};
        std::vector<const char*> argv;
        for (const std::string& argument : arguments) argv.push_back(argument.c_str());
        CommandLineOptions options;
        std::string message;
        EXPECT_EQ(parse(argv, options, message), CommandLineResult::Error) << line;
        EXPECT_FALSE(message.empty()) << line;
    }
}

TEST(CommandLineTest, FileArgumentsBecomeAbsoluteFromTheFolderTheUserStartedIn) {
    CommandLineOptions options;
    std::string message;
    ASSERT_EQ(parse({"--screenshot", "shots/a.png", "--environment", "1=~/maps/forest.exr", "--environment",
                     "2=/maps/field.hdr", "--environment", "3=~user/sky.hdr", "--model", "~/models/robot.glb",
                     "--dump-lit", "out/lit.exr"},
                    options, message),
              CommandLineResult::Run);
    resolveFileArguments(options, UserPathBase{"/start", "/home/u"});
    EXPECT_EQ(options.modelPath, "/home/u/models/robot.glb");
    EXPECT_EQ(options.litDumpPath, "/start/out/lit.exr");
    EXPECT_EQ(options.screenshotPath, "/start/shots/a.png");
    EXPECT_EQ(options.environmentFiles[0], "/home/u/maps/forest.exr");
    EXPECT_EQ(options.environmentFiles[1], "/maps/field.hdr");
    EXPECT_EQ(options.environmentFiles[2], "/start/~user/sky.hdr");  // only the user's own home is expanded
    EXPECT_EQ(absoluteUserPath("~", UserPathBase{"/start", "/home/u/"}), "/home/u/");
    EXPECT_EQ(absoluteUserPath("~/a.hdr", UserPathBase{"/start", ""}), "/start/~/a.hdr");  // no home: as typed
    EXPECT_EQ(absoluteUserPath("a.hdr", UserPathBase{"", "/home/u"}), "a.hdr");            // no start folder: as typed
    EXPECT_EQ(absoluteUserPath("", UserPathBase{"/start", "/home/u"}), "");                // no file chosen stays so
}

TEST(CommandLineTest, AMapOrModelGivenWithoutAnOptionIsUsedAndAnyOtherFileIsRefused) {
    CommandLineOptions options;
    std::string message;
    ASSERT_EQ(parse({"--windowed", "Sky.EXR"}, options, message), CommandLineResult::Run) << message;
    EXPECT_EQ(options.environmentFiles[0], "Sky.EXR");
    for (const std::vector<const char*>& arguments : std::vector<std::vector<const char*>>{
             {"a.hdr", "b.hdr"}, {"--environment", "1=a.hdr", "b.hdr"}, {"notes.txt"}, {"maps.hdr/"}}) {
        CommandLineOptions refused;
        EXPECT_EQ(parse(arguments, refused, message), CommandLineResult::Error) << arguments.back();
        EXPECT_FALSE(message.empty()) << arguments.back();
    }
    CommandLineOptions model;
    ASSERT_EQ(parse({"mannequin.glb"}, model, message), CommandLineResult::Run) << message;
    EXPECT_EQ(model.modelPath, "mannequin.glb");
    CommandLineOptions twoModels;
    EXPECT_EQ(parse({"--model", "a.glb", "b.gltf"}, twoModels, message), CommandLineResult::Error);
}

TEST(CommandLineTest, EnvironmentRotationTurnsEveryEnvironmentAndLightMarkersShowTheLightsFromTheStart) {
    CommandLineOptions options;
    std::string message;
    SceneState state;
    applySceneOptions(options, state);
    EXPECT_FALSE(state.showLightMarkers);
    ASSERT_EQ(parse({"--environment-rotation", "-90.5", "--light-markers"}, options, message), CommandLineResult::Run);
    applySceneOptions(options, state);
    for (int environment = 0; environment < kEnvironmentCount; ++environment) {
        EXPECT_FLOAT_EQ(state.environmentRotation[environment], 269.5f) << "environment " << environment;
    }
    EXPECT_TRUE(state.showLightMarkers);

    // Only a finite number of degrees is an angle.
    EXPECT_EQ(parse({"--environment-rotation"}, options, message), CommandLineResult::Error);
    for (const char* angle : {"", "east", "90deg", "nan", "inf", "1e39"}) {
        EXPECT_EQ(parse({"--environment-rotation", angle}, options, message), CommandLineResult::Error) << angle;
        EXPECT_EQ(message, std::string("--environment-rotation needs an angle in degrees, not '") + angle + "'");
    }
}

TEST(CommandLineTest, HelpAndVersionStopBeforeRunning) {
    CommandLineOptions options;
    std::string message;
    EXPECT_EQ(parse({"--help"}, options, message), CommandLineResult::Help);
    EXPECT_EQ(parse({"--version"}, options, message), CommandLineResult::Version);
}
