// Storage of a failure caught inside a window procedure until the run loop resumes.
#include "base/pending_failure.h"

CPendingFailure g_pendingFailure;

void CPendingFailure::Store(std::exception_ptr failure) {
  if (!m_failure) m_failure = std::move(failure);
}

void CPendingFailure::RethrowIfSet() {
  if (!m_failure) return;
  std::exception_ptr failure = m_failure;
  m_failure = nullptr;
  std::rethrow_exception(failure);
}
