// Shader source text: line splitting, carriage returns, the leading space and the zero-byte end.
#include <gtest/gtest.h>

#include <string>

#include "gpu/shader_source.h"
#include "support/scratch_directory.h"

namespace {

std::string fromText(const std::string& bytes) { return shaderSourceFromBytes(bytes.data(), bytes.size()); }

}  // namespace

TEST(ShaderSourceTest, EveryLineEndsInOneLineFeedWhetherOrNotTheFileDid) {
    EXPECT_EQ(fromText("a\nb"), " a\nb\n");
    EXPECT_EQ(fromText("a\nb\n"), " a\nb\n");
    EXPECT_EQ(fromText("a\n\n\nb\n"), " a\n\n\nb\n");
    EXPECT_EQ(fromText("\n"), " \n");
    EXPECT_EQ(fromText(""), " ");
}

TEST(ShaderSourceTest, CarriageReturnsStayPartOfTheirLine) {
    EXPECT_EQ(fromText("a\r\nb\r\n"), " a\r\nb\r\n");
    EXPECT_EQ(fromText("a\rb"), " a\rb\n");
}

TEST(ShaderSourceTest, AZeroByteEndsTheSourceAsTheCompilerWouldSeeIt) {
    EXPECT_EQ(fromText(std::string("a\nb\0c\nd", 7)), " a\nb");
    EXPECT_EQ(fromText(std::string("\0a\n", 3)), " ");
}

TEST(ShaderSourceTest, FilesAreReadAsRawBytesAndUnreadableOnesGiveTheSingleSpace) {
    ScratchDirectory scratch;
    const std::string content = "#version 120\r\nvoid main() {}\nx";
    scratch.writeFile("shader.vsh", content);
    EXPECT_EQ(readShaderSource("shader.vsh"), fromText(content));
    EXPECT_EQ(readShaderSource("shader.vsh"), " #version 120\r\nvoid main() {}\nx\n");

    EXPECT_EQ(readShaderSource("missing.vsh"), " ");
    EXPECT_EQ(readShaderSource(scratch.path().c_str()), " ");  // a directory opens but cannot be read
    EXPECT_EQ(readShaderSource(nullptr), " ");
}
