// ScratchDirectory: a fresh temporary directory made the working directory for one test.
#pragma once

#include <string>

class ScratchDirectory {
public:
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

    void writeFile(const std::string& name, const std::string& content) const;
    std::string readFile(const std::string& name) const;

private:
    std::string path_;
    std::string previousDirectory_;
};

// Links the build's run data into directory: all but config.cfg, Log.txt, the program and screenshots.
void linkRunData(const std::string& directory);

// Reads a whole file; empty when it cannot be opened.
std::string readWholeFile(const std::string& path);
