// AppConfig: reading config.cfg, its defaults and the values replaced as unusable.
#include <gtest/gtest.h>

#include <array>
#include <sstream>

#include "app/app_config.h"
#include "support/scratch_directory.h"

TEST(AppConfigTest, ReadsUpToThreeNumbersAndKeepsTheDefaultsOfWhatIsUnreadOrUnusable) {
    const std::pair<const char*, std::array<int, 3>> cases[] = {
        {"1024 768 2", {1024, 768, 2}},
        {"\n640\r\n\t480\n\n1\n", {640, 480, 1}},
        {"1280", {1280, 600, 1}},
        {"320 wide 2", {320, 600, 1}},  // the failed extraction stops the rest
        {"abc 480 2", {800, 600, 1}},
        {"640 480 2 9999 garbage", {640, 480, 2}},
        {"0 -5 3", {800, 600, 1}},
        {"640 480 -2", {640, 480, 1}},
    };
    AppConfig& config = appConfig();
    for (const auto& [text, expected] : cases) {
        config.reset();
        std::istringstream input(text);
        config.load(input);
        EXPECT_EQ((std::array<int, 3>{config.getWidth(), config.getHeight(), config.getSupersampling()}), expected)
            << text;
    }
    // From config.cfg in the working directory; without it nothing changes.
    ScratchDirectory directory;
    config.reset();
    config.load();
    EXPECT_EQ(config.getWidth(), 800);
    directory.writeFile("config.cfg", "1024\n768\n2\n");
    config.load();
    EXPECT_EQ(config.getSupersampling(), 2);
    config.reset();
}
