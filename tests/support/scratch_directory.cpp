// ScratchDirectory: temporary working directories for tests that read and write files by relative name.
#include "support/scratch_directory.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

ScratchDirectory::ScratchDirectory() : previousDirectory_(fs::current_path()) {
    std::string pattern = (fs::temp_directory_path() / "lumivor-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr || chdir(pattern.c_str()) != 0) {
        throw std::runtime_error("cannot create and enter a scratch directory");
    }
    path_ = pattern;
}

ScratchDirectory::~ScratchDirectory() {
    std::error_code ignored;
    fs::current_path(previousDirectory_, ignored);
    fs::remove_all(path_, ignored);
}

void ScratchDirectory::writeFile(const std::string& name, const std::string& content) const {
    std::ofstream(file(name), std::ios::binary) << content;
}

std::string ScratchDirectory::readFile(const std::string& name) const { return readWholeFile(file(name)); }

void linkRunData(const std::string& directory) {
    for (const fs::directory_entry& entry : fs::directory_iterator(LUMIVOR_RUN_DIR)) {
        const fs::path name = entry.path().filename();
        if (name != "config.cfg" && name != "Log.txt" && name != "lumivor" && name.extension() != ".png") {
            fs::create_symlink(entry.path(), fs::path(directory) / name);
        }
    }
}

std::string readWholeFile(const std::string& path) {
    std::ostringstream content;
    content << std::ifstream(path, std::ios::binary).rdbuf();
    return content.str();
}
