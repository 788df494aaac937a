// Logger: entry layout and truncation by the first write of a run, also when that write fails.
#include <gtest/gtest.h>

#include <filesystem>

#include "gpu/logger.h"
#include "support/scratch_directory.h"

TEST(LoggerTest, EntriesEndInAnEmptyLineAndTheFirstWriteOfARunTruncatesEvenWhenItFails) {
    ScratchDirectory directory;
    directory.writeFile("Log.txt", "left over from an earlier run\n");
    Logger::resetFirstWriteForTesting();
    logger().write("A");
    logger().write(std::string("driver text\n"));  // still gets both line breaks
    EXPECT_EQ(directory.readFile("Log.txt"), "A\n\ndriver text\n\n\n");

    Logger::resetFirstWriteForTesting();  // a second run, whose first open fails on a directory named like the log
    std::filesystem::remove(directory.file("Log.txt"));
    std::filesystem::create_directory(directory.file("Log.txt"));
    logger().write("lost");
    std::filesystem::remove(directory.file("Log.txt"));
    logger().write("appended");
    EXPECT_EQ(directory.readFile("Log.txt"), "appended\n\n");
}
