// File arguments as the user typed them: "~/" and paths relative to the folder the program was started in.
#pragma once

#include <string>

// Where the user was when the program started: the base of the paths they typed.
struct UserPathBase {
    std::string startDirectory;  // absolute; empty when it could not be read
    std::string home;            // $HOME; empty when unset
};

// The absolute path of a file the user named: a leading "~/" (or a lone "~") stands for home, a relative path
// starts at startDirectory, an absolute one stays as it is. Every option that takes a file goes through this,
// before the program changes into its run directory. Without a home or a start directory the path stays as typed.
std::string absoluteUserPath(const std::string& typed, const UserPathBase& base);
