// ProgramRun: process control for end-to-end tests (fork, exec, wait with timeout, signals, xdotool).
#include "support/program_run.h"

#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "support/scratch_directory.h"

namespace fs = std::filesystem;

void sleepMilliseconds(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

int countOccurrences(const std::string& haystack, const std::string& needle) {
    int count = 0;
    for (std::size_t at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + 1)) {
        ++count;
    }
    return count;
}

void pressKeys(const std::string& window, const std::string& keys) {
    runCommand("xdotool windowactivate --sync " + window + " key " + keys + " 2>/dev/null");
}

void holdKeys(const std::string& window, const std::string& keys, bool down) {
    if (down) {
        runCommand("xdotool windowactivate --sync " + window + " keydown " + keys + " 2>/dev/null");
    } else {
        // Released without the window: it may be gone already (Escape), and a
        // key left down in the X server would reach the next program's window.
        runCommand("xdotool keyup " + keys + " 2>/dev/null");
    }
}

std::string runCommand(const std::string& command) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return output;
    }
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        output += buffer;
    }
    pclose(pipe);
    while (!output.empty() && (output.back() == '\n' || output.back() == ' ')) {
        output.pop_back();
    }
    return output;
}

ProgramRun::ProgramRun() {
    std::string pattern = (fs::temp_directory_path() / "lumivor-run-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a scratch run directory");
    }
    directory_ = pattern;
    linkRunData(directory_);
    fs::copy_file(fs::path(LUMIVOR_RUN_DIR) / "config.cfg", file("config.cfg"));
}

ProgramRun::~ProgramRun() {
    if (pid_ > 0 && !exited_) {
        kill(pid_, SIGKILL);
        int status = 0;
        waitpid(pid_, &status, 0);
    }
    std::error_code ignored;
    fs::remove_all(directory_, ignored);
}

void ProgramRun::writeFile(const std::string& name, const std::string& content) const {
    removeFile(name);
    std::ofstream out(file(name), std::ios::binary);
    out << content;
}

void ProgramRun::removeFile(const std::string& name) const {
    std::error_code ignored;
    fs::remove(file(name), ignored);
}

std::string ProgramRun::readFile(const std::string& name) const { return readWholeFile(file(name)); }

void ProgramRun::ownCopy(const std::string& name) const {
    const fs::path link(file(name));
    if (fs::is_symlink(link)) {
        const fs::path target = fs::read_symlink(link);
        fs::remove(link);
        fs::copy(target, link, fs::copy_options::recursive);
    }
}

bool ProgramRun::runUnprivileged(std::string& reason) {
    if (geteuid() != 0) {
        return true;
    }
    const passwd* account = getpwnam("nobody");
    if (account == nullptr || account->pw_uid == 0) {
        reason = "running as root without an unprivileged \"nobody\" account: file permissions do not stop root";
        return false;
    }
    unprivileged_ = true;
    unprivilegedUser_ = account->pw_uid;
    unprivilegedGroup_ = account->pw_gid;
    return true;
}

// The unprivileged account may not reach the build tree (a checkout under
// root's home), so every link becomes a copy and the program is copied too;
// the X authority is copied so that it can open the display.
void ProgramRun::prepareUnprivilegedRun(std::vector<std::string>& environment) const {
    const fs::path directory(directory_);
    for (const fs::directory_entry& entry : fs::directory_iterator(directory)) {
        ownCopy(entry.path().filename().string());
    }
    fs::copy_file(fs::path(LUMIVOR_RUN_DIR) / "lumivor", directory / "lumivor");
    const char* authority = std::getenv("XAUTHORITY");
    const char* home = std::getenv("HOME");
    const fs::path authoritySource = authority != nullptr ? fs::path(authority)
                                     : home != nullptr    ? fs::path(home) / ".Xauthority"
                                                          : fs::path();
    std::error_code missing;
    if (!authoritySource.empty() && fs::is_regular_file(authoritySource, missing)) {
        fs::copy_file(authoritySource, directory / ".Xauthority");
        environment.push_back("XAUTHORITY=" + (directory / ".Xauthority").string());
    }
    environment.push_back("HOME=" + directory_);
    // Owned by the account, modes kept: a file made unreadable stays so.
    if (lchown(directory_.c_str(), unprivilegedUser_, unprivilegedGroup_) != 0) {
        throw std::runtime_error("cannot hand the run directory to the unprivileged account");
    }
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(directory)) {
        if (lchown(entry.path().c_str(), unprivilegedUser_, unprivilegedGroup_) != 0) {
            throw std::runtime_error("cannot hand " + entry.path().string() + " to the unprivileged account");
        }
    }
}

bool ProgramRun::start(const std::vector<std::string>& arguments, const std::vector<std::string>& extraEnvironment) {
    std::vector<std::string> environment = extraEnvironment;
    if (unprivileged_) {
        prepareUnprivilegedRun(environment);
    }
    const std::string program = unprivileged_ ? file("lumivor") : std::string(LUMIVOR_RUN_DIR) + "/lumivor";
    const std::string out = file("stdout.txt");
    const std::string err = file("stderr.txt");
    pid_ = fork();
    if (pid_ < 0) {
        return false;
    }
    if (pid_ == 0) {
        if (chdir(directory_.c_str()) != 0) {
            _exit(126);
        }
        std::FILE* outFile = std::freopen(out.c_str(), "w", stdout);
        std::FILE* errFile = std::freopen(err.c_str(), "w", stderr);
        if (outFile == nullptr || errFile == nullptr) {
            _exit(126);
        }
        for (const std::string& assignment : environment) {
            putenv(const_cast<char*>(assignment.c_str()));
        }
        // Standard output and error stay open from before the switch.
        if (unprivileged_ && (setgroups(0, nullptr) != 0 || setgid(unprivilegedGroup_) != 0 ||
                              setuid(unprivilegedUser_) != 0)) {
            _exit(126);
        }
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const std::string& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    exited_ = false;
    return true;
}

bool ProgramRun::waitForExit(int timeoutMilliseconds, int& exitStatus) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMilliseconds);
    while (!exited_) {
        int status = 0;
        const pid_t result = waitpid(pid_, &status, WNOHANG);
        if (result == pid_) {
            exited_ = true;
            exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        sleepMilliseconds(20);
    }
    exitStatus = exitStatus_;
    return true;
}

bool ProgramRun::running() {
    int status = 0;
    return !waitForExit(0, status);
}

void ProgramRun::sendSignal(int signal) const {
    if (pid_ > 0 && !exited_) {
        kill(pid_, signal);
    }
}

std::string ProgramRun::standardError() const { return readFile("stderr.txt"); }
std::string ProgramRun::standardOutput() const { return readFile("stdout.txt"); }

bool ProgramRun::waitForStandardError(const std::string& text, int count, int timeoutMilliseconds) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMilliseconds);
    while (countOccurrences(standardError(), text) < count) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        sleepMilliseconds(50);
    }
    return true;
}

std::string ProgramRun::findWindow(int timeoutMilliseconds) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMilliseconds);
    const std::string command = "xdotool search --onlyvisible --pid " + std::to_string(pid_) + " 2>/dev/null | head -n 1";
    for (;;) {
        const std::string id = runCommand(command);
        if (!id.empty()) {
            return id;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return std::string();
        }
        sleepMilliseconds(100);
    }
}
