// The index buffer of the grid mesh (65535 16-bit indices in the default pool),
// written once after the device is created or reset.
#pragma once

#include <windows.h>

#include <d3d8.h>

#include <cstdint>

#include "render/com_ptr.h"

class CDynamicIndexBuffer {
 public:
  static constexpr unsigned kCapacity = 65535;

  explicit CDynamicIndexBuffer(IDirect3DDevice8* device);
  ~CDynamicIndexBuffer();
  CDynamicIndexBuffer(const CDynamicIndexBuffer&) = delete;
  CDynamicIndexBuffer& operator=(const CDynamicIndexBuffer&) = delete;

  bool IsValid() const { return static_cast<bool>(m_buffer); }
  IDirect3DIndexBuffer8* Get() const { return m_buffer.Get(); }

  // Locks count indices behind those already written; null when they do not fit
  // or the lock fails. *first receives the index of the first.
  uint16_t* Lock(unsigned count, unsigned* first);
  void Unlock();

 private:
  CCom<IDirect3DIndexBuffer8> m_buffer;
  unsigned m_used = 0;  // indices written so far
  bool m_locked = false;
};
