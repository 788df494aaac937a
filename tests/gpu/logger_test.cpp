// Logger: entry layout, truncation by the first write of a run, and intToString.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>

#include "gpu/logger.h"
#include "support/scratch_directory.h"

TEST(LoggerTest, EntriesAreSeparatedByAnEmptyLineAndTheFirstWriteOfARunTruncates) {
    ScratchDirectory directory;
    directory.writeFile("Log.txt", "left over from an earlier run\n");
    Logger::resetFirstWriteForTesting();
    Logger::instance().write("A");
    Logger::instance().write(std::string("B"));
    EXPECT_EQ(directory.readFile("Log.txt"), "A\n\nB\n\n");

    Logger::resetFirstWriteForTesting();  // a second run
    Logger::instance().write("C");
    EXPECT_EQ(directory.readFile("Log.txt"), "C\n\n");
}

TEST(LoggerTest, AMessageEndingInALineBreakStillGetsBothLineBreaks) {
    ScratchDirectory directory;
    Logger::resetFirstWriteForTesting();
    Logger::instance().write("driver text\n");
    EXPECT_EQ(directory.readFile("Log.txt"), "driver text\n\n\n");
}

TEST(LoggerTest, AFailedFirstOpenStillCountsAsTheFirstWrite) {
    ScratchDirectory directory;
    directory.writeFile("Log.txt", "old\n");
    Logger::resetFirstWriteForTesting();
    // A directory named like the log makes every open fail.
    std::filesystem::remove(directory.file("Log.txt"));
    std::filesystem::create_directory(directory.file("Log.txt"));
    Logger::instance().write("lost");
    std::filesystem::remove(directory.file("Log.txt"));
    Logger::instance().write("appended");
    EXPECT_EQ(directory.readFile("Log.txt"), "appended\n\n");
}

TEST(LoggerTest, IntToStringGivesPlainDecimalText) {
    EXPECT_EQ(Logger::intToString(0), "0");
    EXPECT_EQ(Logger::intToString(-12), "-12");
    EXPECT_EQ(Logger::intToString(1000000), "1000000");
    EXPECT_EQ(Logger::intToString(INT_MIN), "-2147483648");
}
