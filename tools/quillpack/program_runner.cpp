// posix_spawnp with the output sent to a temporary file; _spawnvp on Windows, where
// the output stays on the console.
#include "tools/quillpack/program_runner.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <process.h>
#include <windows.h>

#include <filesystem>
#else
#include <limits.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

#ifdef _WIN32
int RunProgram(const std::vector<std::string>& args, std::string* output) {
  // _spawnvp joins the arguments with blanks, so each is quoted as the C runtime
  // parses quotes back out.
  std::vector<std::string> quoted;
  for (const std::string& arg : args) {
    std::string q = "\"";
    size_t backslashes = 0;
    for (char c : arg) {
      if (c == '\\') {
        ++backslashes;
      } else {
        if (c == '"') q.append(backslashes + 1, '\\');
        backslashes = 0;
      }
      q += c;
    }
    q.append(backslashes, '\\');
    quoted.push_back(q + "\"");
  }
  std::vector<const char*> argv;
  for (const std::string& q : quoted) argv.push_back(q.c_str());
  argv.push_back(nullptr);
  output->clear();
  const intptr_t status = _spawnvp(_P_WAIT, args[0].c_str(), argv.data());
  if (status == -1) *output = args[0] + ": " + std::strerror(errno);
  return static_cast<int>(status);
}

std::string OwnProgramPath() {
  wchar_t path[32768];
  const DWORD length = GetModuleFileNameW(nullptr, path, sizeof path / sizeof path[0]);
  if (length == 0 || length >= sizeof path / sizeof path[0]) return "";
  return std::filesystem::path(std::wstring(path, length)).u8string();
}
#else
int RunProgram(const std::vector<std::string>& args, std::string* output) {
  output->clear();
  std::FILE* log = std::tmpfile();
  if (log == nullptr) {
    *output = "cannot create a temporary file";
    return -1;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fileno(log), STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, fileno(log), STDERR_FILENO);
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int started = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = -1;
  if (started != 0) {
    *output = args[0] + ": " + std::strerror(started);
  } else {
    int wait = 0;
    while (waitpid(pid, &wait, 0) < 0 && errno == EINTR) {
    }
    status = WIFEXITED(wait) ? WEXITSTATUS(wait) : 128 + WTERMSIG(wait);
    std::rewind(log);
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, log)) > 0;) output->append(buffer, n);
  }
  std::fclose(log);
  return status;
}

std::string OwnProgramPath() {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path);
  return length > 0 && static_cast<size_t>(length) < sizeof path ? std::string(path, length) : "";
}
#endif
