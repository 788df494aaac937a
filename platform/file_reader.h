// FileReader: a regular file read piece by piece through POSIX open, fstat and read.
#pragma once

#include <cstddef>
#include <string>

class FileReader {
public:
    FileReader() = default;
    ~FileReader();
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    // Opens the regular file at path. False when it cannot be opened, is not
    // a regular file or is empty; failure() then says which, in the words
    // FileMapping uses ("missing (no such file)", "unreadable (...)", "not a
    // regular file", "empty").
    bool open(const char* path);
    const std::string& failure() const { return failure_; }
    // The file's size when it was opened.
    std::size_t size() const { return size_; }
    // Reads the next count bytes into buffer. False, with failure() set, when
    // the file fails or ends before them (it shrank since it was opened).
    bool read(unsigned char* buffer, std::size_t count);
    void close();

private:
    int descriptor_ = -1;
    std::size_t size_ = 0;
    std::string failure_;
};
