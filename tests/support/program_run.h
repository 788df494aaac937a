// ProgramRun: starts the real lumivor binary in a scratch run directory and drives it with signals and xdotool.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

class ProgramRun {
public:
    // A scratch run directory: config.cfg copied from the build's run directory, its data files linked; without
    // run data, an empty scratch folder to start in.
    explicit ProgramRun(bool withRunData = true);
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    const std::string& directory() const { return directory_; }
    std::string file(const std::string& name) const { return directory_ + "/" + name; }
    void writeFile(const std::string& name, const std::string& content) const;
    void removeFile(const std::string& name) const;
    std::string readFile(const std::string& name) const;
    // Replaces the link to the build's file or folder by a copy the test may change.
    void ownCopy(const std::string& name) const;

    // As root, makes start() run the program as "nobody" in a private copy of the run directory, so that
    // file permissions apply; false, with the reason, when that account is missing. Otherwise a no-op.
    bool runUnprivileged(std::string& reason);

    // Starts this program instead of the build's lumivor.
    void useProgram(const std::string& path) { program_ = path; }
    // Starts lumivor with the arguments; extraEnvironment entries are NAME=value, or NAME alone to unset it.
    bool start(const std::vector<std::string>& arguments, const std::vector<std::string>& extraEnvironment = {});
    // The exit code, or 128 + signal; -1 when the program did not end in time.
    int waitForExit(int timeoutMilliseconds);
    bool running() { return waitForExit(0) < 0; }
    void sendSignal(int signal) const;
    pid_t pid() const { return pid_; }

    std::string standardError() const { return readFile("stderr.txt"); }
    std::string standardOutput() const { return readFile("stdout.txt"); }
    // Waits until standard error holds the text at least count times.
    bool waitForStandardError(const std::string& text, int count, int timeoutMilliseconds) const;
    // The program's visible window found through xdotool, or an empty string.
    std::string findWindow(int timeoutMilliseconds) const;

private:
    void prepareUnprivilegedRun(std::vector<std::string>& environment) const;

    std::string directory_;
    std::string program_;
    bool unprivileged_ = false;
    uid_t user_ = 0;
    gid_t group_ = 0;
    pid_t pid_ = -1;
    int exitStatus_ = -1;
};

// A 24-bit PNG of the given size, bottom row first, channels in FreeImage's order; empty when it is not one.
std::vector<unsigned char> loadPicture(const std::string& path, unsigned width = 320, unsigned height = 240);
// Polls the condition every 50 ms until it holds or the time is up; whether it held.
bool waitUntil(const std::function<bool()>& condition, int timeoutMilliseconds);
// Activates the window through the window manager and sends xdotool key names through the X server, as a
// user's keyboard would (SDL ignores keys sent to a window directly); "keydown"/"keyup" hold and release.
void sendKeys(const std::string& window, const std::string& action, const std::string& keys);
// Activates the window and presses the xdotool key name for the milliseconds given, as one quick tap.
void tapKey(const std::string& window, const std::string& key, int milliseconds);
// Runs a command through the shell; its standard output, trimmed.
std::string runCommand(const std::string& command);
int countOccurrences(const std::string& haystack, const std::string& needle);
void sleepMilliseconds(int milliseconds);
