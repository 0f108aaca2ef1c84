// Carries a failure out of a window procedure. An exception must never unwind
// through the system's message dispatch (64-bit Windows may swallow it there), so a
// procedure's frame stores it here and the run loop throws it again after
// DispatchMessageA returns.
#pragma once

#include <exception>
#include <string>

#include "base/error_trace.h"

class CPendingFailure {
 public:
  // Keeps the first failure; later ones are dropped, as the first one is reported.
  void Store(std::exception_ptr failure);
  bool IsSet() const { return static_cast<bool>(m_failure); }
  // Throws the stored failure (and forgets it); does nothing when none is stored.
  void RethrowIfSet();

 private:
  std::exception_ptr m_failure;
};

// The main thread's pending failure: window procedures store, run loops rethrow.
extern CPendingFailure g_pendingFailure;

// A window procedure's error frame: runs body; a failure gets traceName added to the
// error trace, is kept in g_pendingFailure, and the procedure answers fallback. While
// a failure is already waiting, a further one is dropped and leaves the trace and
// message of the first as they were, so the report describes the failure it rethrows.
template <class Result, class Body>
Result RunInWindowFrame(const char* traceName, Result fallback, Body&& body) {
  const bool pending = g_pendingFailure.IsSet();
  const std::string trace = pending ? g_errorTrace : std::string();
  const std::string message = pending ? g_errorMessage : std::string();
  try {
    return body();
  } catch (...) {
    if (pending) {
      g_errorTrace = trace;
      g_errorMessage = message;
      return fallback;
    }
    AddTraceName(traceName);
    g_pendingFailure.Store(std::current_exception());
    return fallback;
  }
}
