// Run-directory choice: run data in the working directory, else installed data found beside the program or by XDG.
#include "app/run_directory.h"

#include <cstdio>

#include "app/user_run_directory.h"
#include "platform/file_system.h"
#include "state/app_config.h"

namespace {

const char* const kShaderFolder = "Shader";
// The XDG base-directory defaults.
const char* const kDefaultDataDirectories = "/usr/local/share:/usr/share";
const char* const kDefaultDataHomeUnderHome = ".local/share";

// A folder without its last component; "/" for a top-level one.
std::string parentOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return std::string();
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

bool holdsRunData(const std::string& folder) {
    return pathKind(joinPath(folder, AppConfig::kFileName)) != PathKind::Missing ||
           isDirectory(joinPath(folder, kShaderFolder));
}

}  // namespace

RunDirectorySearch searchOfThisProcess() {
    RunDirectorySearch search;
    search.workingDirectory = currentDirectory();
    search.executable = executablePath();
    search.home = environmentVariable("HOME");
    search.dataHome = environmentVariable("XDG_DATA_HOME");
    search.dataDirectories = environmentVariable("XDG_DATA_DIRS");
    return search;
}

std::vector<std::string> installedDataCandidates(const RunDirectorySearch& search) {
    std::vector<std::string> candidates;
    const auto add = [&](const std::string& folder) {
        for (const std::string& known : candidates) {
            if (known == folder) return;
        }
        candidates.push_back(folder);
    };
    if (!search.executable.empty() && search.executable[0] == '/') {
        const std::string prefix = parentOf(parentOf(search.executable));
        add(joinPath(joinPath(prefix, "share"), kDataFolderName));
    }
    const std::string list = search.dataDirectories.empty() ? kDefaultDataDirectories : search.dataDirectories;
    for (std::size_t start = 0; start <= list.size();) {
        std::size_t end = list.find(':', start);
        if (end == std::string::npos) end = list.size();
        const std::string folder = list.substr(start, end - start);
        if (!folder.empty() && folder[0] == '/') add(joinPath(folder, kDataFolderName));
        start = end + 1;
    }
    return candidates;
}

std::string userRunFolder(const RunDirectorySearch& search) {
    if (!search.dataHome.empty() && search.dataHome[0] == '/') return joinPath(search.dataHome, kDataFolderName);
    if (!search.home.empty() && search.home[0] == '/') {
        return joinPath(joinPath(search.home, kDefaultDataHomeUnderHome), kDataFolderName);
    }
    return std::string();
}

RunDirectoryChoice chooseRunDirectory(const RunDirectorySearch& search) {
    RunDirectoryChoice choice;
    const std::string working = search.workingDirectory.empty() ? std::string(".") : search.workingDirectory;
    if (holdsRunData(working)) {
        choice.kind = RunDirectoryKind::Working;
        choice.directory = working;
        return choice;
    }
    const std::vector<std::string> candidates = installedDataCandidates(search);
    std::string searched;
    for (const std::string& candidate : candidates) {
        if (holdsRunData(candidate)) {
            choice.installedData = candidate;
            break;
        }
        searched += (searched.empty() ? "" : ", ") + candidate;
    }
    const std::string user = userRunFolder(search);
    if (!choice.installedData.empty() && !user.empty()) {
        choice.kind = RunDirectoryKind::PerUser;
        choice.directory = user;
        return choice;
    }
    const std::string here = "The working directory " + working + " holds no " + AppConfig::kFileName + " and no " +
                             kShaderFolder + "/ folder";
    if (choice.installedData.empty()) {
        choice.problem = here + ", and no installed data was found in " + searched +
                         ". Start lumivor in a folder that holds its data (build/run after a build), or install it "
                         "(cmake --install).";
    } else {
        choice.problem = here + ", and neither HOME nor XDG_DATA_HOME names a folder to run in beside the data in " +
                         choice.installedData + ".";
    }
    choice.installedData.clear();
    return choice;
}

bool enterRunDirectory(const RunDirectorySearch& search, std::string& message) {
    const RunDirectoryChoice choice = chooseRunDirectory(search);
    switch (choice.kind) {
        case RunDirectoryKind::Working:
            return true;
        case RunDirectoryKind::NotFound:
            message = choice.problem;
            return false;
        case RunDirectoryKind::PerUser:
            break;
    }
    std::string cause;
    if (!fillUserRunDirectory(choice.installedData, choice.directory, cause)) {
        message = "Cannot prepare the folder " + choice.directory + " to run in: " + cause;
        return false;
    }
    if (!changeDirectory(choice.directory, cause)) {
        message = "Cannot change into " + choice.directory + ": " + cause;
        return false;
    }
    // Log.txt and screenshots land here: the user has to know where.
    std::printf("lumivor: running in %s\n", choice.directory.c_str());
    std::fflush(stdout);
    return true;
}
