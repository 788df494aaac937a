// Logger: the program's diagnostic text file, written entry by entry and never read back.
#include "gpu/logger.h"

#include <cstdio>

namespace {

bool firstWrite = true;

}  // namespace

Logger& logger() {
    // Created on first use and never destroyed, so entries written during
    // static destruction still have a logger.
    static Logger* const instance = new Logger();
    return *instance;
}

void Logger::write(const char* message) {
    const char* mode = "a";
    if (firstWrite) {
        mode = "w";
        // A failed first open still counts: later entries try to append.
        firstWrite = false;
    }
    std::FILE* file = std::fopen(kFileName, mode);
    if (file == nullptr) {
        return;  // the entry is lost silently; nothing else may stop the program
    }
    std::fputs(message != nullptr ? message : "", file);
    std::fputs("\n", file);
    std::fflush(file);
    std::fputs("\n", file);
    std::fflush(file);
    std::fclose(file);
}

void Logger::write(std::string message) { write(message.c_str()); }

std::string Logger::intToString(int value) { return std::to_string(value); }

void Logger::resetFirstWriteForTesting() { firstWrite = true; }
