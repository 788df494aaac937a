// Logger: entry layout and truncation by the first write of a run.
#include <gtest/gtest.h>

#include <filesystem>

#include "gpu/logger.h"
#include "support/scratch_directory.h"

TEST(LoggerTest, EntriesAreSeparatedByAnEmptyLineAndTheFirstWriteOfARunTruncates) {
    ScratchDirectory directory;
    directory.writeFile("Log.txt", "left over from an earlier run\n");
    Logger::resetFirstWriteForTesting();
    logger().write("A");
    logger().write(std::string("B"));
    EXPECT_EQ(directory.readFile("Log.txt"), "A\n\nB\n\n");

    Logger::resetFirstWriteForTesting();  // a second run
    logger().write("driver text\n");  // still gets both line breaks
    EXPECT_EQ(directory.readFile("Log.txt"), "driver text\n\n\n");
}

TEST(LoggerTest, AFailedFirstOpenStillCountsAsTheFirstWrite) {
    ScratchDirectory directory;
    directory.writeFile("Log.txt", "old\n");
    Logger::resetFirstWriteForTesting();
    // A directory named like the log makes every open fail.
    std::filesystem::remove(directory.file("Log.txt"));
    std::filesystem::create_directory(directory.file("Log.txt"));
    logger().write("lost");
    std::filesystem::remove(directory.file("Log.txt"));
    logger().write("appended");
    EXPECT_EQ(directory.readFile("Log.txt"), "appended\n\n");
}
