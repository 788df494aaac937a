// The run directory: the working directory when it holds the run data, else a per-user folder over the installed data.
#pragma once

#include <string>
#include <vector>

// What the process was started with: everything the choice depends on, so tests can give their own.
struct RunDirectorySearch {
    std::string workingDirectory;
    std::string executable;       // the program's own file, as /proc/self/exe names it
    std::string home;             // $HOME
    std::string dataHome;         // $XDG_DATA_HOME
    std::string dataDirectories;  // $XDG_DATA_DIRS
};

// The search of the running process, read through the platform layer.
RunDirectorySearch searchOfThisProcess();

enum class RunDirectoryKind {
    Working,   // the working directory holds config.cfg or Shader/: nothing changes
    PerUser,   // installed data found: the program runs in the per-user folder linked to it
    NotFound,  // neither: the program cannot run
};

struct RunDirectoryChoice {
    RunDirectoryKind kind = RunDirectoryKind::NotFound;
    std::string directory;      // where the program runs
    std::string installedData;  // PerUser: the installed data folder
    std::string problem;        // NotFound: what is missing and every place looked at
};

// The installed data folders in the order they are tried, each once: ../share/lumivor beside the executable, then
// lumivor/ under each folder of $XDG_DATA_DIRS (/usr/local/share:/usr/share when unset); relative entries are
// invalid there and skipped.
std::vector<std::string> installedDataCandidates(const RunDirectorySearch& search);
// $XDG_DATA_HOME/lumivor, else ~/.local/share/lumivor; empty when neither gives an absolute folder.
std::string userRunFolder(const RunDirectorySearch& search);

// The working directory when it holds config.cfg or Shader/, else the per-user folder over the first candidate
// that does.
RunDirectoryChoice chooseRunDirectory(const RunDirectorySearch& search);

// Chooses the run directory; for a per-user one fills or repairs it, changes into it and says so on standard
// output. False, with message saying why, when the program cannot run.
bool enterRunDirectory(const RunDirectorySearch& search, std::string& message);
