// Files, folders, links, the working directory and the process's own path and environment, through POSIX.
#pragma once

#include <string>
#include <vector>

// What a path names, without following a final link.
enum class PathKind { Missing, File, Directory, Link, Other };

// folder/name, with one slash between them; either alone when the other is empty.
std::string joinPath(const std::string& folder, const std::string& name);

// The working directory, or an empty string when it cannot be read (removed, too long).
std::string currentDirectory();
// The running program's file as the kernel knows it (/proc/self/exe), or an empty string.
std::string executablePath();
// An environment variable's value; empty when it is unset.
std::string environmentVariable(const char* name);

PathKind pathKind(const std::string& path);
// True when path leads to a folder, following links.
bool isDirectory(const std::string& path);
// True when both paths lead to the same existing file or folder, following links.
bool sameFile(const std::string& first, const std::string& second);
// A link's target as it was written; false when path is not a link.
bool readLink(const std::string& path, std::string& target);
// The names in a folder, without "." and "..", in no particular order; empty when it cannot be read.
std::vector<std::string> directoryEntries(const std::string& path);

// The operations below return false and set cause to the system's reason when they fail.
bool changeDirectory(const std::string& path, std::string& cause);
// Creates the folder and every missing folder above it, private to the user (mode 0700).
bool makeDirectories(const std::string& path, std::string& cause);
bool createLink(const std::string& target, const std::string& path, std::string& cause);
// Removes a file or a link (never a folder).
bool removeFile(const std::string& path, std::string& cause);
// Copies a regular file to a path that must not exist yet, so nothing is ever overwritten.
bool copyNewFile(const std::string& from, const std::string& to, std::string& cause);
