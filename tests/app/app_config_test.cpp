// AppConfig: reading config.cfg, its defaults and the values replaced as unusable.
#include <gtest/gtest.h>

#include <sstream>

#include "app/app_config.h"
#include "support/scratch_directory.h"

TEST(AppConfigTest, ReadsUpToThreeNumbersAndKeepsTheDefaultsOfWhatIsUnreadOrUnusable) {
    const struct {
        const char* text;
        int width, height, supersampling;
    } cases[] = {
        {"1024 768 2", 1024, 768, 2},
        {"\n640\r\n\t480\n\n1\n", 640, 480, 1},
        {"1280", 1280, 600, 1},
        {"320 wide 2", 320, 600, 1},  // the failed extraction stops the rest
        {"abc 480 2", 800, 600, 1},
        {"640 480 2 9999 garbage", 640, 480, 2},
        {"0 -5 3", 800, 600, 1},
        {"640 480 -2", 640, 480, 1},
    };
    AppConfig& config = appConfig();
    for (const auto& c : cases) {
        config.reset();
        std::istringstream input(c.text);
        config.load(input);
        EXPECT_EQ(config.getWidth(), c.width) << c.text;
        EXPECT_EQ(config.getHeight(), c.height) << c.text;
        EXPECT_EQ(config.getSupersampling(), c.supersampling) << c.text;
    }
    config.reset();
}

TEST(AppConfigTest, LoadReadsConfigCfgFromTheWorkingDirectoryAndToleratesItsAbsence) {
    ScratchDirectory directory;
    AppConfig& config = appConfig();
    config.reset();
    config.load();  // no file: nothing changes, nothing reported
    EXPECT_EQ(config.getWidth(), AppConfig::kDefaultWidth);
    directory.writeFile("config.cfg", "1024\n768\n2\n");
    config.load();
    EXPECT_EQ(config.getWidth(), 1024);
    EXPECT_EQ(config.getSupersampling(), 2);
    config.reset();
}
