// Whole files read as raw bytes through C stdio, in chunks.
#include "platform/file_bytes.h"

#include <cstdio>

namespace {

constexpr std::size_t kReadChunkBytes = 65536;

}  // namespace

bool readFileBytes(const char* path, std::string& bytes) {
    std::FILE* file = path != nullptr ? std::fopen(path, "rb") : nullptr;
    if (file == nullptr) {
        return false;
    }
    char chunk[kReadChunkBytes];
    std::size_t count = 0;
    while ((count = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        bytes.append(chunk, count);
    }
    const bool readFailed = std::ferror(file) != 0;
    std::fclose(file);
    return !readFailed;
}
