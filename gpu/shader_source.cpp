// Shader source text: raw file bytes to the compiler's zero-terminated string.
#include "gpu/shader_source.h"

#include "platform/file_bytes.h"

namespace {

const char kLineFeed = '\n';

}  // namespace

std::string shaderSourceFromBytes(const char* data, std::size_t size) {
    std::string text(" ");
    text.reserve(size + 2);
    std::size_t lineStart = 0;
    while (lineStart < size) {
        std::size_t lineEnd = lineStart;
        while (lineEnd < size && data[lineEnd] != kLineFeed) {
            ++lineEnd;
        }
        // A last line without its line feed gets one all the same.
        text.append(data + lineStart, lineEnd - lineStart);
        text.push_back(kLineFeed);
        lineStart = lineEnd + 1;
    }
    // The compiler gets one zero-terminated string: a zero byte ends the source.
    const std::size_t zero = text.find('\0');
    if (zero != std::string::npos) {
        text.resize(zero);
    }
    return text;
}

std::string readShaderSource(const char* path) {
    // A failed read (a directory, say) compiles what was read: nothing, or part.
    std::string bytes;
    readFileBytes(path, bytes);
    return shaderSourceFromBytes(bytes.data(), bytes.size());
}
