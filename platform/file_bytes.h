// Whole files read as raw bytes through C stdio.
#pragma once

#include <string>

// Appends the bytes of the file at path to bytes. False when it cannot be
// opened or a read fails (a directory opens and fails on its first read); what
// was read before a failure stays in bytes.
bool readFileBytes(const char* path, std::string& bytes);
