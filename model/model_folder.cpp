// Model folder: the parser's file access for one load; it opens nothing outside the model's own folder.
#include "model/model_folder.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace {

namespace fs = std::filesystem;

int hexValue(char digit) {
    if (digit >= '0' && digit <= '9') return digit - '0';
    if (digit >= 'a' && digit <= 'f') return digit - 'a' + 10;
    if (digit >= 'A' && digit <= 'F') return digit - 'A' + 10;
    return 0;
}

// A URI decoded as the parser decodes it before it asks for the file ('+'
// as a blank, "%XY" as one byte), so that failures can be found again by URI.
std::string decodedUri(const std::string& uri) {
    std::string decoded;
    for (std::size_t i = 0; i < uri.size(); ++i) {
        if (uri[i] == '+') {
            decoded += ' ';
        } else if (uri[i] == '%' && uri.size() > i + 2) {
            decoded += static_cast<char>(hexValue(uri[i + 1]) << 4 | hexValue(uri[i + 2]));
            i += 2;
        } else {
            decoded += uri[i];
        }
    }
    return decoded;
}

// Whether a relative name climbs out of its folder through a ".." segment.
bool climbsOut(const std::string& name) {
    std::size_t start = 0;
    while (start <= name.size()) {
        const std::size_t end = std::min(name.find('/', start), name.size());
        if (name.compare(start, end - start, "..") == 0 && end - start == 2) return true;
        start = end + 1;
    }
    return false;
}

}  // namespace

ModelFolder::ModelFolder(const std::string& folder, LoadBudget& budget) : budget_(budget) {
    if (folder.empty()) return;
    std::error_code error;
    const fs::path real = fs::canonical(folder, error);
    if (error) return;  // every external file then fails as unreadable
    base_ = real.string();
    if (base_.empty() || base_.back() != '/') base_ += '/';
}

tinygltf::FsCallbacks ModelFolder::callbacks() {
    return {&ModelFolder::fileExists, &ModelFolder::expandFilePath, &ModelFolder::readWholeFile,
            &ModelFolder::writeWholeFile, this};
}

std::string ModelFolder::failureFor(const std::string& uri) const {
    const auto found = failures_.find(decodedUri(uri));
    return found == failures_.end() ? std::string() : found->second;
}

std::string ModelFolder::firstFailure() const { return firstFailure_; }

void ModelFolder::fail(const std::string& name, const std::string& reason) {
    if (failures_.emplace(name, reason).second && firstFailure_.empty()) firstFailure_ = "\"" + name + "\" " + reason;
}

std::string ModelFolder::resolve(const std::string& path) {
    if (base_.empty()) {
        fail(path, "cannot be read: the model has no folder to read it from");
        return {};
    }
    // The parser also tries the working directory ("./" + name): never that.
    if (path.compare(0, base_.size(), base_) != 0) return {};
    const std::string name = path.substr(base_.size());
    if (name.empty()) {
        fail(name, "is an empty file name");
    } else if (name.front() == '/') {
        fail(name, "is an absolute path, outside the model's folder");
    } else if (name.find('\0') != std::string::npos) {
        fail(name, "holds a NUL byte");
    } else if (climbsOut(name)) {
        fail(name, "leads outside the model's folder");
    } else {
        std::error_code error;
        const fs::path real = fs::canonical(path, error);
        if (error) {
            fail(name, "is missing from the model's folder");
        } else if (real.string().compare(0, base_.size(), base_) != 0) {
            fail(name, "leads outside the model's folder (through a link)");
        } else if (!fs::is_regular_file(real, error)) {
            fail(name, "is not a regular file");
        } else {
            return real.string();
        }
    }
    return {};
}

bool ModelFolder::read(const std::string& path, std::vector<unsigned char>& bytes) {
    const std::string real = resolve(path);
    if (real.empty()) return false;
    const std::string name = path.substr(base_.size());
    std::error_code error;
    const std::uintmax_t size = fs::file_size(real, error);
    if (error) {
        fail(name, "cannot be read (" + error.message() + ")");
        return false;
    }
    if (!budget_.tryCharge(size, 1)) {
        fail(name, "is larger than a model may be (" + std::to_string(size) + " bytes)");
        return false;
    }
    std::ifstream file(real, std::ios::binary);
    bytes.resize(static_cast<std::size_t>(size));
    if (!file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size))) {
        fail(name, "cannot be read");
        return false;
    }
    return true;
}

bool ModelFolder::fileExists(const std::string& path, void* folder) {
    try {
        return !static_cast<ModelFolder*>(folder)->resolve(path).empty();
    } catch (...) {
        // Nothing may unwind through the parser; a file we cannot check is no file.
        return false;
    }
}

std::string ModelFolder::expandFilePath(const std::string& path, void*) { return path; }

bool ModelFolder::readWholeFile(std::vector<unsigned char>* out, std::string* error, const std::string& path,
                                void* folder) {
    try {
        if (static_cast<ModelFolder*>(folder)->read(path, *out)) return true;
    } catch (...) {
        static_cast<ModelFolder*>(folder)->fail(path, "cannot be read");
    }
    if (error != nullptr) *error += "cannot read " + path + "\n";
    return false;
}

bool ModelFolder::writeWholeFile(std::string* error, const std::string&, const std::vector<unsigned char>&, void*) {
    if (error != nullptr) *error += "a model is only ever read\n";
    return false;
}
