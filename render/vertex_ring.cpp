// Planning of discard and append locks on the dynamic vertex buffer.
#include "render/vertex_ring.h"

bool CVertexRing::Plan(unsigned count, unsigned* first, bool* discard) const {
  if (count > m_capacity) return false;
  *discard = m_discardNext || m_used + count > m_capacity;
  *first = *discard ? 0 : m_used;
  return true;
}

void CVertexRing::Commit(unsigned count, bool discard) {
  if (discard) {
    m_discardNext = false;
    m_used = 0;
  }
  m_used += count;
}
