// Logger: appends plain-text entries to "Log.txt" in the working directory; the first entry of a run empties it.
#pragma once

#include <string>

class Logger {
public:
    static constexpr const char* kFileName = "Log.txt";

    // Writes the message followed by two line breaks, opening and closing the
    // file for every entry so that each entry is on disk once write returns.
    void write(const char* message);
    void write(std::string message);

    static std::string intToString(int value);

    // Tests run several "program runs" in one process: this makes the next
    // write truncate again, as the first write of a fresh run does.
    static void resetFirstWriteForTesting();

private:
    friend Logger& logger();
    Logger() = default;
};

// The program's one log.
Logger& logger();
