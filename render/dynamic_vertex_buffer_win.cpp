// Creation and locking of the shared dynamic vertex buffer.
#include "render/dynamic_vertex_buffer.h"

CDynamicVertexBuffer::CDynamicVertexBuffer(IDirect3DDevice8* device) {
  if (FAILED(device->CreateVertexBuffer(kCapacity * sizeof(ScreenVertex),
                                        D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, kScreenVertexFvf,
                                        D3DPOOL_DEFAULT, &m_buffer)))
    m_buffer.Reset();
}

CDynamicVertexBuffer::~CDynamicVertexBuffer() { Unlock(); }

ScreenVertex* CDynamicVertexBuffer::Lock(unsigned count, unsigned* first) {
  if (!m_buffer || m_locked) return nullptr;
  bool discard = false;
  if (!m_ring.Plan(count, first, &discard)) return nullptr;
  const DWORD flags = D3DLOCK_NOSYSLOCK | (discard ? D3DLOCK_DISCARD : D3DLOCK_NOOVERWRITE);
  BYTE* data = nullptr;
  if (FAILED(m_buffer->Lock(*first * sizeof(ScreenVertex), count * sizeof(ScreenVertex), &data,
                            flags)))
    return nullptr;
  m_ring.Commit(count, discard);
  m_locked = true;
  return reinterpret_cast<ScreenVertex*>(data);
}

void CDynamicVertexBuffer::Unlock() {
  if (!m_locked) return;
  m_buffer->Unlock();
  m_locked = false;
}
