// ProgramRun: starts the real lumivor binary in a scratch run directory and drives it with signals and xdotool.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

class ProgramRun {
public:
    // Makes a scratch run directory: config.cfg copied from the build's run
    // directory, its data files linked to it.
    ProgramRun();
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    const std::string& directory() const { return directory_; }
    std::string file(const std::string& name) const { return directory_ + "/" + name; }
    void writeFile(const std::string& name, const std::string& content) const;
    void removeFile(const std::string& name) const;
    std::string readFile(const std::string& name) const;
    // Replaces the link to the build's file or folder by a copy of its own,
    // which the test may change.
    void ownCopy(const std::string& name) const;

    // When the tests run as root, makes start() run the program as the
    // unprivileged account "nobody", so that file permissions apply to it:
    // the run directory becomes a private copy owned by that account, with
    // its own program, X authority and home. False, with the reason, when
    // the account is missing. As any other user it changes nothing.
    bool runUnprivileged(std::string& reason);

    // Starts lumivor with the arguments; extraEnvironment entries are NAME=value.
    bool start(const std::vector<std::string>& arguments, const std::vector<std::string>& extraEnvironment = {});
    // Waits for the exit; false on timeout. exitStatus is the exit code, or
    // 128 + signal number when a signal ended the program.
    bool waitForExit(int timeoutMilliseconds, int& exitStatus);
    bool running();
    void sendSignal(int signal) const;
    pid_t pid() const { return pid_; }

    std::string standardError() const;
    std::string standardOutput() const;
    // Waits until standard error holds the text at least count times.
    bool waitForStandardError(const std::string& text, int count, int timeoutMilliseconds) const;

    // The program's visible window found through xdotool, or an empty string.
    std::string findWindow(int timeoutMilliseconds) const;

private:
    void prepareUnprivilegedRun(std::vector<std::string>& environment) const;

    std::string directory_;
    bool unprivileged_ = false;
    uid_t unprivilegedUser_ = 0;
    gid_t unprivilegedGroup_ = 0;
    pid_t pid_ = -1;
    bool exited_ = false;
    int exitStatus_ = 0;
};

// Activates the window through the window manager and types the xdotool key
// names (for instance "Escape" or "alt+F4") through the X server, the way a
// user's keyboard reaches it: SDL ignores keys sent to a window directly.
void pressKeys(const std::string& window, const std::string& keys);
// The same with xdotool keydown or keyup, for keys held over several frames.
void holdKeys(const std::string& window, const std::string& keys, bool down);

// Runs a command through the shell; its standard output, trimmed.
std::string runCommand(const std::string& command);
// Counts the occurrences of needle in haystack.
int countOccurrences(const std::string& haystack, const std::string& needle);
void sleepMilliseconds(int milliseconds);
