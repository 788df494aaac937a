// AppConfig: reading config.cfg, its defaults and the values replaced as unusable.
#include <gtest/gtest.h>

#include <sstream>

#include "app/app_config.h"
#include "support/scratch_directory.h"

namespace {

class AppConfigTest : public ::testing::Test {
protected:
    void SetUp() override { AppConfig::instance().reset(); }
    void TearDown() override { AppConfig::instance().reset(); }

    AppConfig& loadText(const std::string& text) {
        std::istringstream input(text);
        AppConfig::instance().load(input);
        return AppConfig::instance();
    }
};

}  // namespace

TEST_F(AppConfigTest, ReadsThreeNumbersSeparatedByBlanksOrLineBreaks) {
    AppConfig& config = loadText("1024 768 2");
    EXPECT_EQ(config.getWidth(), 1024);
    EXPECT_EQ(config.getHeight(), 768);
    EXPECT_EQ(config.getSupersampling(), 2);

    config.reset();
    loadText("\n640\r\n\t480\n\n1\n");
    EXPECT_EQ(config.getWidth(), 640);
    EXPECT_EQ(config.getHeight(), 480);
    EXPECT_EQ(config.getSupersampling(), 1);
}

TEST_F(AppConfigTest, PartialOrNonNumericFilesKeepTheDefaultsOfTheFieldsNotRead) {
    AppConfig& config = loadText("1280");
    EXPECT_EQ(config.getWidth(), 1280);
    EXPECT_EQ(config.getHeight(), 600);
    EXPECT_EQ(config.getSupersampling(), 1);

    config.reset();
    loadText("320 wide 2");  // the failed extraction stops the rest
    EXPECT_EQ(config.getWidth(), 320);
    EXPECT_EQ(config.getHeight(), 600);
    EXPECT_EQ(config.getSupersampling(), 1);

    config.reset();
    loadText("abc 480 2");
    EXPECT_EQ(config.getWidth(), 800);
    EXPECT_EQ(config.getHeight(), 600);
}

TEST_F(AppConfigTest, TextAfterTheThirdNumberIsIgnored) {
    AppConfig& config = loadText("640 480 2 9999 garbage");
    EXPECT_EQ(config.getWidth(), 640);
    EXPECT_EQ(config.getHeight(), 480);
    EXPECT_EQ(config.getSupersampling(), 2);
}

TEST_F(AppConfigTest, UnusableSizesAndFactorsFallBackToDefaults) {
    AppConfig& config = loadText("0 -5 3");
    EXPECT_EQ(config.getWidth(), 800);
    EXPECT_EQ(config.getHeight(), 600);
    EXPECT_EQ(config.getSupersampling(), 1);

    config.reset();
    loadText("640 480 -2");
    EXPECT_EQ(config.getWidth(), 640);
    EXPECT_EQ(config.getSupersampling(), 1);
}

TEST_F(AppConfigTest, LoadReadsConfigCfgFromTheWorkingDirectoryAndToleratesItsAbsence) {
    ScratchDirectory directory;
    AppConfig& config = AppConfig::instance();
    config.load();  // no file: nothing changes, nothing reported
    EXPECT_EQ(config.getWidth(), 800);
    EXPECT_EQ(config.getHeight(), 600);
    EXPECT_EQ(config.getSupersampling(), 1);

    directory.writeFile("config.cfg", "1024\n768\n2\n");
    config.load();
    EXPECT_EQ(config.getWidth(), 1024);
    EXPECT_EQ(config.getHeight(), 768);
    EXPECT_EQ(config.getSupersampling(), 2);
}
