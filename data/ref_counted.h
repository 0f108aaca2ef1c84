// Plain (not atomic) reference counting for objects handed out by factories.
#pragma once

// The count starts at 0; the factory that creates an object adds the first reference.
// A Release that leaves the count at 0 or below destroys the whole object through the
// virtual destructor. Used by one thread at a time.
class CRefCounted {
 public:
  CRefCounted() = default;
  CRefCounted(const CRefCounted&) = delete;
  CRefCounted& operator=(const CRefCounted&) = delete;

  // Returns the new count.
  virtual int AddRef() { return ++m_refCount; }
  // Returns the new count; the object is gone when it is 0 or less.
  virtual int Release() {
    const int count = --m_refCount;
    if (count <= 0) delete this;
    return count;
  }
  virtual ~CRefCounted() {}

 private:
  int m_refCount = 0;
};
