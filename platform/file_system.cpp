// Files, folders and links through POSIX calls; every failure keeps the system's reason for the caller.
#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

constexpr mode_t kPrivateFolderMode = 0700;
constexpr mode_t kNewFileMode = 0644;
constexpr std::size_t kCopyChunkBytes = 65536;

bool fail(std::string& cause) {
    cause = std::strerror(errno);
    return false;
}

// Writes all of the bytes, going on after short writes and interruptions.
bool writeAll(int descriptor, const char* bytes, std::size_t count) {
    while (count > 0) {
        const ssize_t written = write(descriptor, bytes, count);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes += written;
        count -= static_cast<std::size_t>(written);
    }
    return true;
}

}  // namespace

std::string joinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    if (name.empty()) return folder;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::string currentDirectory() {
    char path[PATH_MAX] = {};
    return getcwd(path, sizeof path) != nullptr ? std::string(path) : std::string();
}

std::string executablePath() {
    char path[PATH_MAX] = {};
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : std::string();
}

std::string environmentVariable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

PathKind pathKind(const std::string& path) {
    struct stat status {};
    if (lstat(path.c_str(), &status) != 0) return PathKind::Missing;
    if (S_ISLNK(status.st_mode)) return PathKind::Link;
    if (S_ISDIR(status.st_mode)) return PathKind::Directory;
    if (S_ISREG(status.st_mode)) return PathKind::File;
    return PathKind::Other;
}

bool isDirectory(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool sameFile(const std::string& first, const std::string& second) {
    struct stat a {
    }, b{};
    return stat(first.c_str(), &a) == 0 && stat(second.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

bool readLink(const std::string& path, std::string& target) {
    char buffer[PATH_MAX] = {};
    const ssize_t length = readlink(path.c_str(), buffer, sizeof buffer - 1);
    if (length < 0) return false;
    target.assign(buffer, static_cast<std::size_t>(length));
    return true;
}

std::vector<std::string> directoryEntries(const std::string& path) {
    std::vector<std::string> names;
    DIR* folder = opendir(path.c_str());
    if (folder == nullptr) return names;
    while (const dirent* entry = readdir(folder)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    closedir(folder);
    return names;
}

bool makeDirectories(const std::string& path, std::string& cause) {
    // Each folder on the way down, so that a missing parent (~/.local/share) is made too.
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string prefix = path.substr(0, slash);
        if (!prefix.empty() && mkdir(prefix.c_str(), kPrivateFolderMode) != 0 && errno != EEXIST) return fail(cause);
        if (slash == std::string::npos) break;
    }
    if (!isDirectory(path)) {
        cause = "not a folder";
        return false;
    }
    return true;
}

bool changeDirectory(const std::string& path, std::string& cause) { return chdir(path.c_str()) == 0 || fail(cause); }

bool createLink(const std::string& target, const std::string& path, std::string& cause) {
    return symlink(target.c_str(), path.c_str()) == 0 || fail(cause);
}

bool removeFile(const std::string& path, std::string& cause) { return unlink(path.c_str()) == 0 || fail(cause); }

bool copyNewFile(const std::string& from, const std::string& to, std::string& cause) {
    const int source = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (source < 0) return fail(cause);
    const int destination = open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
    if (destination < 0) {
        fail(cause);
        close(source);
        return false;
    }
    char chunk[kCopyChunkBytes];
    bool copied = true;
    for (;;) {
        const ssize_t count = read(source, chunk, sizeof chunk);
        if (count < 0 && errno == EINTR) continue;
        if (count == 0) break;
        if (count < 0 || !writeAll(destination, chunk, static_cast<std::size_t>(count))) {
            copied = fail(cause);
            break;
        }
    }
    close(source);
    if (close(destination) != 0 && copied) copied = fail(cause);
    if (!copied) unlink(to.c_str());  // no half-copied file left to be taken for the user's own
    return copied;
}
