// The one way failures reach the user: a raise sets the error message and throws the
// integer 0; every operation with an error frame prepends its name to the error trace
// on the way out; the application's Run shows both in one message box.
#pragma once

#include <string>

// The trace reads outermost operation first: "A() -> B() -> C()".
extern std::string g_errorTrace;
// The message of the last raise, quotes included (e.g. "\"Unknown Error\"").
extern std::string g_errorMessage;

// Replaces the error message and throws the integer 0.
[[noreturn]] void Raise(const char* message);

// The error frame's step: prepends "name()" to the trace, joined with "() -> ".
void AddTraceName(const char* name);

// Runs body inside an error frame named traceName: whatever escapes it gets the name
// added to the trace and is thrown on unchanged.
template <class Body>
auto RunInErrorFrame(const char* traceName, Body&& body) -> decltype(body()) {
  try {
    return body();
  } catch (...) {
    AddTraceName(traceName);
    throw;
  }
}

// Completes the report text: puts in "\"Unknown Error\"" when no message was raised,
// appends an empty line and the message to the trace, and returns the trace.
const std::string& ComposeErrorReport();
