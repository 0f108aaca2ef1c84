// Files named by UTF-8 paths, which on Windows are opened through the wide functions
// so that a folder named in any language works, and the program's own path.
#pragma once

#include <cstdio>
#include <string>

// Opens the file at utf8Path for binary reading; null when it cannot be opened.
std::FILE* OpenFileForReading(const std::string& utf8Path);

// The full path of the running program's own file, in UTF-8; empty when the system
// cannot say.
std::string ProgramFilePath();
