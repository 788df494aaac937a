// FileMapping: a whole file mapped read-only into memory (POSIX open, fstat, mmap), released with the object.
#pragma once

#include <cstddef>
#include <string>

class FileMapping {
public:
    FileMapping() = default;
    ~FileMapping();
    FileMapping(const FileMapping&) = delete;
    FileMapping& operator=(const FileMapping&) = delete;

    // Maps the regular file at path. False when it cannot be opened or
    // mapped; an empty file cannot be mapped either.
    bool open(const char* path);
    // Why the latest open failed, for the user: "missing", "unreadable (...)",
    // "not a regular file", "empty"; empty after a successful open.
    const std::string& failure() const { return failure_; }
    void close();

    const unsigned char* data() const { return data_; }
    std::size_t size() const { return size_; }

private:
    const unsigned char* data_ = nullptr;
    std::size_t size_ = 0;
    std::string failure_;
};
