// Creation and locking of the grid's index buffer.
#include "render/dynamic_index_buffer.h"

CDynamicIndexBuffer::CDynamicIndexBuffer(IDirect3DDevice8* device) {
  if (FAILED(device->CreateIndexBuffer(kCapacity * sizeof(uint16_t), D3DUSAGE_WRITEONLY,
                                       D3DFMT_INDEX16, D3DPOOL_DEFAULT, &m_buffer)))
    m_buffer.Reset();
}

CDynamicIndexBuffer::~CDynamicIndexBuffer() { Unlock(); }

uint16_t* CDynamicIndexBuffer::Lock(unsigned count, unsigned* first) {
  if (!m_buffer || m_locked || count > kCapacity - m_used) return nullptr;
  BYTE* data = nullptr;
  if (FAILED(m_buffer->Lock(m_used * sizeof(uint16_t), count * sizeof(uint16_t), &data,
                            D3DLOCK_NOSYSLOCK)))
    return nullptr;
  *first = m_used;
  m_used += count;
  m_locked = true;
  return reinterpret_cast<uint16_t*>(data);
}

void CDynamicIndexBuffer::Unlock() {
  if (!m_locked) return;
  m_buffer->Unlock();
  m_locked = false;
}
