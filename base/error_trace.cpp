// Process-wide error trace and message, and the composition of the final report.
#include "base/error_trace.h"

std::string g_errorTrace;
std::string g_errorMessage;

void Raise(const char* message) {
  g_errorMessage = message;
  throw 0;
}

void AddTraceName(const char* name) {
  if (g_errorTrace.empty()) {
    g_errorTrace = std::string(name) + "()";
    return;
  }
  const std::string inner = g_errorTrace;
  g_errorTrace = name;
  g_errorTrace += "() -> ";
  g_errorTrace += inner;
}

const std::string& ComposeErrorReport() {
  if (g_errorMessage.empty()) g_errorMessage = "\"Unknown Error\"";
  g_errorTrace += "\n\n";
  g_errorTrace += g_errorMessage;
  return g_errorTrace;
}
