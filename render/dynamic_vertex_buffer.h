// The one dynamic vertex buffer that every draw of a frame shares (65535 vertices in
// the default pool): the first lock of a frame discards, later ones append.
#pragma once

#include <windows.h>

#include <d3d8.h>

#include "render/com_ptr.h"
#include "render/screen_vertex.h"
#include "render/vertex_ring.h"

class CDynamicVertexBuffer {
 public:
  static constexpr unsigned kCapacity = 65535;

  // Creates the buffer on device; IsValid tells whether that worked.
  explicit CDynamicVertexBuffer(IDirect3DDevice8* device);
  ~CDynamicVertexBuffer();
  CDynamicVertexBuffer(const CDynamicVertexBuffer&) = delete;
  CDynamicVertexBuffer& operator=(const CDynamicVertexBuffer&) = delete;

  bool IsValid() const { return static_cast<bool>(m_buffer); }
  IDirect3DVertexBuffer8* Get() const { return m_buffer.Get(); }

  void StartFrame() { m_ring.StartFrame(); }
  // Locks count vertices; *first receives the index of the first. Null when count
  // exceeds the capacity or the lock fails.
  ScreenVertex* Lock(unsigned count, unsigned* first);
  void Unlock();

 private:
  CCom<IDirect3DVertexBuffer8> m_buffer;
  CVertexRing m_ring{kCapacity};
  bool m_locked = false;
};
