// The per-user run folder: links to the installed data and the user's own copy of the configuration.
#pragma once

#include <string>

// The name of the installed data folder under a share/ folder, and of the per-user folder under $XDG_DATA_HOME.
constexpr const char* kDataFolderName = "lumivor";

// Makes the folder and fills it from the installed data: a link to each installed file or folder, and a copy of
// the default config.cfg that the user may edit. Run at every start, it repairs the folder: an entry a newer
// install added is linked, and a link into another Lumivor data folder (an install that moved, or another one) is
// pointed at this one. The user's own files, folders and links, an edited config.cfg among them, are kept. The log
// is never linked, so the program never writes into the installed data. False, with the entry and the cause.
bool fillUserRunDirectory(const std::string& installedData, const std::string& directory, std::string& cause);
