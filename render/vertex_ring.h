// Where the next vertices go in the shared dynamic vertex buffer. Each frame starts
// by discarding the buffer (the driver hands over fresh memory instead of waiting for
// the GPU); later locks of the frame append behind what was written, promising not to
// overwrite anything the GPU may still read. A buffer that fills up is discarded too.
#pragma once

class CVertexRing {
 public:
  explicit CVertexRing(unsigned capacity) : m_capacity(capacity) {}

  // The next lock must discard: called at the start of every frame.
  void StartFrame() { m_discardNext = true; }

  // Plans a lock of count vertices: *first receives the first vertex index and
  // *discard whether the lock must discard. False when count exceeds the capacity.
  bool Plan(unsigned count, unsigned* first, bool* discard) const;
  // Records that the planned lock succeeded.
  void Commit(unsigned count, bool discard);

  unsigned GetCapacity() const { return m_capacity; }
  unsigned GetUsed() const { return m_used; }

 private:
  unsigned m_capacity;        // vertices
  unsigned m_used = 0;        // vertices handed out since the last discard
  bool m_discardNext = true;  // the next lock discards
};
