// Logger entries and truncation by a run's first write; shader source line ends, zero bytes and unreadable files.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "gpu/logger.h"
#include "gpu/shader_source.h"
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

TEST(ShaderSourceTest, EveryLineEndsInOneLineFeedAndAZeroByteEndsTheSource) {
    const std::pair<std::string, std::string> cases[] = {
        {"a\nb", " a\nb\n"},           {"a\n\n\nb\n", " a\n\n\nb\n"}, {"", " "},
        {"a\r\nb\r\n", " a\r\nb\r\n"}, {"a\rb", " a\rb\n"},           {std::string("a\nb\0c\nd", 7), " a\nb"},
        {std::string("\0a\n", 3), " "}};
    for (const auto& [bytes, source] : cases) {
        EXPECT_EQ(shaderSourceFromBytes(bytes.data(), bytes.size()), source) << bytes;
    }
}

TEST(ShaderSourceTest, FilesAreReadAsRawBytesAndUnreadableOnesGiveTheSingleSpace) {
    ScratchDirectory scratch;
    scratch.writeFile("shader.vsh", "#version 120\r\nvoid main() {}\nx");
    EXPECT_EQ(readShaderSource("shader.vsh"), " #version 120\r\nvoid main() {}\nx\n");
    EXPECT_EQ(readShaderSource("missing.vsh"), " ");
    EXPECT_EQ(readShaderSource(scratch.path().c_str()), " ");  // a directory opens but cannot be read
    EXPECT_EQ(readShaderSource(nullptr), " ");
}
