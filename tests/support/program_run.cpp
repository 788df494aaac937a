// ProgramRun: process control for end-to-end tests (fork, exec, wait with timeout, signals, xdotool).
#include "support/program_run.h"

#include <FreeImage.h>
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
#include <stdexcept>
#include <thread>

#include "support/scratch_directory.h"

namespace fs = std::filesystem;

std::vector<unsigned char> loadPicture(const std::string& path, unsigned width, unsigned height) {
    std::vector<unsigned char> pixels;
    FIBITMAP* bitmap = FreeImage_Load(FIF_PNG, path.c_str(), 0);
    if (bitmap != nullptr && FreeImage_GetWidth(bitmap) == width && FreeImage_GetHeight(bitmap) == height &&
        FreeImage_GetBPP(bitmap) == 24) {
        pixels.resize(std::size_t{width} * height * 3);
        FreeImage_ConvertToRawBits(pixels.data(), bitmap, int(width * 3), 24, 0, 0, 0, FALSE);
    }
    FreeImage_Unload(bitmap);
    return pixels;
}

void sleepMilliseconds(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

bool waitUntil(const std::function<bool()>& condition, int timeoutMilliseconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMilliseconds);
    for (;;) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        sleepMilliseconds(50);
    }
}

int countOccurrences(const std::string& haystack, const std::string& needle) {
    int count = 0;
    for (std::size_t at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + 1)) ++count;
    return count;
}

void sendKeys(const std::string& window, const std::string& action, const std::string& keys) {
    // A release goes without the window, which may be gone (Escape): a key left down would reach the next run.
    const std::string activate = action == "keyup" ? "" : "windowactivate --sync " + window + " ";
    runCommand("xdotool " + activate + action + " " + keys + " 2>/dev/null");
}

void tapKey(const std::string& window, const std::string& key, int milliseconds) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f", milliseconds / 1000.0);
    runCommand("xdotool windowactivate --sync " + window + " keydown " + key + " sleep " + seconds + " keyup " + key +
               " 2>/dev/null");
}

std::string runCommand(const std::string& command) {
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
        pclose(pipe);
    }
    while (!output.empty() && (output.back() == '\n' || output.back() == ' ')) output.pop_back();
    return output;
}

ProgramRun::ProgramRun(bool withRunData) : program_(std::string(LUMIVOR_RUN_DIR) + "/lumivor") {
    std::string pattern = (fs::temp_directory_path() / "lumivor-run-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a scratch run directory");
    directory_ = pattern;
    if (!withRunData) return;
    linkRunData(directory_);
    fs::copy_file(fs::path(LUMIVOR_RUN_DIR) / "config.cfg", file("config.cfg"));
}

ProgramRun::~ProgramRun() {
    if (pid_ > 0 && exitStatus_ < 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    std::error_code ignored;
    fs::remove_all(directory_, ignored);
}

void ProgramRun::writeFile(const std::string& name, const std::string& content) const {
    removeFile(name);
    std::ofstream(file(name), std::ios::binary) << content;
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
    if (geteuid() != 0) return true;
    const passwd* account = getpwnam("nobody");
    if (account == nullptr || account->pw_uid == 0) {
        reason = "running as root without an unprivileged \"nobody\" account: file permissions do not stop root";
        return false;
    }
    unprivileged_ = true;
    user_ = account->pw_uid;
    group_ = account->pw_gid;
    return true;
}

// The account may not reach the build tree (a checkout under root's home): links become copies, the program
// and the X authority are copied, and everything is handed over with its modes (an unreadable file stays so).
void ProgramRun::prepareUnprivilegedRun(std::vector<std::string>& environment) const {
    const fs::path directory(directory_);
    for (const fs::directory_entry& entry : fs::directory_iterator(directory)) ownCopy(entry.path().filename());
    fs::copy_file(fs::path(LUMIVOR_RUN_DIR) / "lumivor", directory / "lumivor");
    const char* authority = std::getenv("XAUTHORITY");
    const char* home = std::getenv("HOME");
    const fs::path source = authority != nullptr ? fs::path(authority)
                            : home != nullptr    ? fs::path(home) / ".Xauthority"
                                                 : fs::path();
    std::error_code missing;
    if (!source.empty() && fs::is_regular_file(source, missing)) {
        fs::copy_file(source, directory / ".Xauthority");
        environment.push_back("XAUTHORITY=" + (directory / ".Xauthority").string());
    }
    environment.push_back("HOME=" + directory_);
    bool handed = lchown(directory_.c_str(), user_, group_) == 0;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(directory)) {
        handed = handed && lchown(entry.path().c_str(), user_, group_) == 0;
    }
    if (!handed) throw std::runtime_error("cannot hand the run directory to the unprivileged account");
}

bool ProgramRun::start(const std::vector<std::string>& arguments, const std::vector<std::string>& extraEnvironment) {
    std::vector<std::string> environment = extraEnvironment;
    if (unprivileged_) prepareUnprivilegedRun(environment);
    const std::string program = unprivileged_ ? file("lumivor") : program_;
    const std::string out = file("stdout.txt"), err = file("stderr.txt");
    exitStatus_ = -1;
    pid_ = fork();
    if (pid_ != 0) return pid_ > 0;
    if (chdir(directory_.c_str()) != 0 || std::freopen(out.c_str(), "w", stdout) == nullptr ||
        std::freopen(err.c_str(), "w", stderr) == nullptr) {
        _exit(126);
    }
    for (const std::string& assignment : environment) {
        if (assignment.find('=') == std::string::npos) {
            unsetenv(assignment.c_str());
        } else {
            putenv(const_cast<char*>(assignment.c_str()));
        }
    }
    // Standard output and error stay open from before the switch.
    if (unprivileged_ && (setgroups(0, nullptr) != 0 || setgid(group_) != 0 || setuid(user_) != 0)) _exit(126);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
}

int ProgramRun::waitForExit(int timeoutMilliseconds) {
    waitUntil(
        [&] {
            int status = 0;
            if (exitStatus_ < 0 && waitpid(pid_, &status, WNOHANG) == pid_) {
                exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            return exitStatus_ >= 0;
        },
        timeoutMilliseconds);
    return exitStatus_;
}

void ProgramRun::sendSignal(int signal) const {
    if (pid_ > 0 && exitStatus_ < 0) kill(pid_, signal);
}

bool ProgramRun::waitForStandardError(const std::string& text, int count, int timeoutMilliseconds) const {
    return waitUntil([&] { return countOccurrences(standardError(), text) >= count; }, timeoutMilliseconds);
}

std::string ProgramRun::findWindow(int timeoutMilliseconds) const {
    std::string id;
    waitUntil(
        [&] {
            id = runCommand("xdotool search --onlyvisible --pid " + std::to_string(pid_) + " 2>/dev/null | head -n 1");
            return !id.empty();
        },
        timeoutMilliseconds);
    return id;
}
