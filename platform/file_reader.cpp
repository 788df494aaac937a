// FileReader: POSIX descriptor, size from fstat, reads that retry on interruption and short counts.
#include "platform/file_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

std::string unreadable(int error) { return std::string("unreadable (") + std::strerror(error) + ")"; }

}  // namespace

FileReader::~FileReader() { close(); }

bool FileReader::open(const char* path) {
    close();
    failure_.clear();
    descriptor_ = path != nullptr ? ::open(path, O_RDONLY | O_CLOEXEC) : -1;
    if (descriptor_ < 0) {
        const int error = path != nullptr ? errno : ENOENT;
        failure_ = error == ENOENT ? "missing (no such file)" : unreadable(error);
        return false;
    }
    struct stat status {};
    if (fstat(descriptor_, &status) != 0) {
        failure_ = unreadable(errno);
    } else if (!S_ISREG(status.st_mode)) {
        failure_ = "not a regular file";
    } else if (status.st_size == 0) {
        failure_ = "empty";
    } else {
        size_ = static_cast<std::size_t>(status.st_size);
        return true;
    }
    close();
    return false;
}

bool FileReader::read(unsigned char* buffer, std::size_t count) {
    if (descriptor_ < 0) {
        failure_ = unreadable(EBADF);
        return false;
    }
    while (count > 0) {
        const ssize_t got = ::read(descriptor_, buffer, count);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            failure_ = got == 0 ? "truncated: it became shorter while it was read" : unreadable(errno);
            return false;
        }
        buffer += got;
        count -= static_cast<std::size_t>(got);
    }
    return true;
}

void FileReader::close() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
        descriptor_ = -1;
    }
    size_ = 0;
}
