// Runs another program (makensis, osslsigncode) and waits for it, without a shell, so that no
// argument is ever re-parsed.
#pragma once

#include <string>
#include <vector>

// Runs args[0], found on PATH, with the rest as its arguments. Its standard output
// and error are collected into *output. Returns its exit status, or -1 (with the
// reason in *output) when it could not be started.
int RunProgram(const std::vector<std::string>& args, std::string* output);

// The full path of the running program's own file, as UTF-8; empty when unknown.
std::string OwnProgramPath();
