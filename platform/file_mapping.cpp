// FileMapping: read-only POSIX mapping of a whole file.
#include "platform/file_mapping.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

FileMapping::~FileMapping() { close(); }

bool FileMapping::open(const char* path) {
    close();
    failure_.clear();
    const int descriptor = path != nullptr ? ::open(path, O_RDONLY | O_CLOEXEC) : -1;
    if (descriptor < 0) {
        const int error = path != nullptr ? errno : ENOENT;
        failure_ =
            error == ENOENT ? "missing (no such file)" : std::string("unreadable (") + std::strerror(error) + ")";
        return false;
    }
    struct stat status {};
    bool mapped = false;
    if (fstat(descriptor, &status) != 0) {
        failure_ = std::string("unreadable (") + std::strerror(errno) + ")";
    } else if (!S_ISREG(status.st_mode)) {
        failure_ = "not a regular file";
    } else if (status.st_size == 0) {
        failure_ = "empty";
    } else {
        const std::size_t length = static_cast<std::size_t>(status.st_size);
        void* address = mmap(nullptr, length, PROT_READ, MAP_PRIVATE, descriptor, 0);
        if (address != MAP_FAILED) {
            data_ = static_cast<const unsigned char*>(address);
            size_ = length;
            mapped = true;
        } else {
            failure_ = std::string("unreadable (") + std::strerror(errno) + ")";
        }
    }
    // The mapping stays valid after the descriptor is closed.
    ::close(descriptor);
    return mapped;
}

void FileMapping::close() {
    if (data_ != nullptr) {
        munmap(const_cast<unsigned char*>(data_), size_);
        data_ = nullptr;
        size_ = 0;
    }
}
