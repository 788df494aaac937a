// FileMapping: read-only POSIX mapping of a whole file.
#include "platform/file_mapping.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

FileMapping::~FileMapping() { close(); }

bool FileMapping::open(const char* path) {
    close();
    const int descriptor = ::open(path, O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        return false;
    }
    struct stat status {};
    bool mapped = false;
    if (fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0) {
        const std::size_t length = static_cast<std::size_t>(status.st_size);
        void* address = mmap(nullptr, length, PROT_READ, MAP_PRIVATE, descriptor, 0);
        if (address != MAP_FAILED) {
            data_ = static_cast<const unsigned char*>(address);
            size_ = length;
            mapped = true;
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
