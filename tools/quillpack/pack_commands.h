// The quillpack commands (build, check, list, extract) as a library call, so that the
// entry point stays a one-liner and tests reach every command without a process.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

// Runs quillpack with `args` (the command line without the program name). Reports go
// to `out`, problems to `err`. Returns the exit status: 0 on success, 1 when anything
// is wrong, 2 for a malformed command line.
int RunQuillpack(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// Turns an entry name into a path relative to the extraction folder. False for
// names that could land outside it or be rewritten by Windows: absolute names, drive
// or stream colons, ".." or components of dots and blanks only, components ending in
// a dot or blank, reserved device names, zero bytes. Both slashes separate.
bool SafeEntryPath(const std::string& name, std::filesystem::path* relative);
