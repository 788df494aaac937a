// Per-user run folder: links made, repaired or kept entry by entry; the configuration copied once, never replaced.
#include "app/user_run_directory.h"

#include "gpu/logger.h"
#include "platform/file_system.h"
#include "state/app_config.h"

namespace {

bool endsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// A link this program made points at "<some data folder>/lumivor/NAME"; any other link is the user's.
bool isDataLink(const std::string& target, const std::string& name) {
    return endsWith(target, std::string("/") + kDataFolderName + "/" + name);
}

bool linksTo(const std::string& entry, const std::string& installed) {
    std::string target;
    return readLink(entry, target) && target == installed;
}

// Another copy of the program started at the same moment (several files opened at once) may have made the
// same link first: that is not a failure.
bool link(const std::string& installed, const std::string& entry, std::string& cause) {
    return createLink(installed, entry, cause) || linksTo(entry, installed);
}

bool linkEntry(const std::string& installed, const std::string& entry, const std::string& name, std::string& cause) {
    switch (pathKind(entry)) {
        case PathKind::Missing:
            return link(installed, entry, cause);
        case PathKind::Link: {
            std::string target;
            if (!readLink(entry, target) || target == installed || !isDataLink(target, name)) return true;
            return removeFile(entry, cause) && link(installed, entry, cause);
        }
        default:
            return true;  // the user's own file or folder
    }
}

bool copyConfiguration(const std::string& installed, const std::string& entry, std::string& cause) {
    if (pathKind(entry) != PathKind::Missing) return true;  // the user's, edited or not
    return copyNewFile(installed, entry, cause) || pathKind(entry) != PathKind::Missing;
}

}  // namespace

bool fillUserRunDirectory(const std::string& installedData, const std::string& directory, std::string& cause) {
    if (!makeDirectories(directory, cause)) {
        cause = directory + ": " + cause;
        return false;
    }
    // Installed with the prefix ~/.local, the data already lies in the per-user folder.
    if (sameFile(installedData, directory)) return true;
    for (const std::string& name : directoryEntries(installedData)) {
        if (name == Logger::kFileName) continue;
        const std::string installed = joinPath(installedData, name);
        const std::string entry = joinPath(directory, name);
        const bool made = name == AppConfig::kFileName ? copyConfiguration(installed, entry, cause)
                                                       : linkEntry(installed, entry, name, cause);
        if (!made) {
            cause = entry + ": " + cause;
            return false;
        }
    }
    return true;
}
