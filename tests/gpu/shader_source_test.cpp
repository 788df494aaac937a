// Shader source text: line ends, carriage returns, the leading space, the zero-byte end and unreadable files.
#include <gtest/gtest.h>

#include <string>

#include "gpu/shader_source.h"
#include "support/scratch_directory.h"

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
