// Owned byte blocks returned by archive reads.
#include "data/file_data.h"

#include <cstring>
#include <new>

IFileData::~IFileData() = default;

CFileData::~CFileData() { Release(); }

void CFileData::Release() {
  delete[] m_data;
  m_data = nullptr;
  m_size = 0;
}

bool CFileData::Allocate(int size) {
  Release();
  if (size < 0) return false;
  // new[] of zero elements still yields a distinct pointer, so a real read of an empty
  // entry is told apart from a probe result by its non-null data.
  m_data = new (std::nothrow) char[static_cast<size_t>(size)];
  if (m_data == nullptr) return false;
  m_size = size;
  return true;
}

bool CFileData::Assign(const void* bytes, int size) {
  if (size > 0 && bytes == nullptr) {
    Release();
    return false;
  }
  if (!Allocate(size)) return false;
  if (size > 0) std::memcpy(m_data, bytes, static_cast<size_t>(size));
  return true;
}
