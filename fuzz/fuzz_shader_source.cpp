// Fuzz target of the shader source reader: arbitrary bytes as a GLSL file.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "fuzz/quiet_platform.h"
#include "gpu/shader_source.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    installQuietPlatform();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* bytes = reinterpret_cast<const char*>(data);
    const std::string text = shaderSourceFromBytes(bytes, size);
    // The compiler's string: a leading space, then the bytes up to the first
    // zero, with a line feed closing an unterminated last line.
    const std::string raw(bytes, size);
    std::string expected = " " + raw;
    if (!raw.empty() && raw.back() != '\n') {
        expected += '\n';
    }
    expected.resize(std::min(expected.size(), expected.find('\0')));
    FUZZ_CHECK(text == expected);
    return 0;
}
