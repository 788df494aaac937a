// ScratchDirectory: temporary working directories for tests that read and write files by relative name.
#include "support/scratch_directory.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

ScratchDirectory::ScratchDirectory() {
    char buffer[4096];
    if (getcwd(buffer, sizeof buffer) != nullptr) {
        previousDirectory_ = buffer;
    }
    std::string pattern = (std::filesystem::temp_directory_path() / "lumivor-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a scratch directory");
    }
    path_ = pattern;
    if (chdir(path_.c_str()) != 0) {
        throw std::runtime_error("cannot enter the scratch directory");
    }
}

ScratchDirectory::~ScratchDirectory() {
    if (!previousDirectory_.empty() && chdir(previousDirectory_.c_str()) != 0) {
        // Nothing sensible to do in a destructor; the next test makes its own directory.
    }
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void ScratchDirectory::writeFile(const std::string& name, const std::string& content) const {
    std::ofstream out(file(name), std::ios::binary);
    out << content;
}

std::string ScratchDirectory::readFile(const std::string& name) const { return readWholeFile(file(name)); }

bool ScratchDirectory::exists(const std::string& name) const { return std::filesystem::exists(file(name)); }

void linkRunData(const std::string& directory) {
    namespace fs = std::filesystem;
    for (const fs::directory_entry& entry : fs::directory_iterator(LUMIVOR_RUN_DIR)) {
        const fs::path name = entry.path().filename();
        if (name != "config.cfg" && name != "Log.txt" && name != "lumivor" && name.extension() != ".png") {
            fs::create_symlink(entry.path(), fs::path(directory) / name);
        }
    }
}

std::string readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}
