// Runs another program (makensis) and waits for it, without a shell, so that no
// argument is ever re-parsed.
#pragma once

#include <string>
#include <vector>

// Runs args[0], found on PATH, with the rest as its arguments. Its standard output
// and error are collected into *output. Returns its exit status, or -1 (with the
// reason in *output) when it could not be started.
int RunProgram(const std::vector<std::string>& args, std::string* output);
