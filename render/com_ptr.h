// CCom<T>: owns one reference to a COM object. Copies add a reference, moves take it
// over, and operator& hands out the slot for a creating call's out-parameter.
#pragma once

#include <memory>
#include <utility>

template <class T>
class CCom {
 public:
  CCom() = default;
  // Adopts a reference the caller already owns (as from a creating call).
  explicit CCom(T* adopted) : m_object(adopted) {}
  CCom(const CCom& other) : m_object(other.m_object) {
    if (m_object != nullptr) m_object->AddRef();
  }
  CCom(CCom&& other) noexcept : m_object(std::exchange(other.m_object, nullptr)) {}
  CCom& operator=(const CCom& other) {
    // Taken before Reset, which empties other too when it is this very holder.
    T* object = other.m_object;
    if (object != nullptr) object->AddRef();
    Reset();
    m_object = object;
    return *this;
  }
  CCom& operator=(CCom&& other) noexcept {
    if (this != std::addressof(other)) {
      Reset();
      m_object = std::exchange(other.m_object, nullptr);
    }
    return *this;
  }
  ~CCom() { Reset(); }

  // Releases the reference now; returns what Release returned (0 when the object is
  // gone), or 0 when nothing was held.
  unsigned long Reset() {
    T* object = std::exchange(m_object, nullptr);
    return object != nullptr ? object->Release() : 0;
  }

  // For out-parameters: releases what is held and returns the empty slot.
  T** operator&() {
    Reset();
    return &m_object;
  }

  T* Get() const { return m_object; }
  T* operator->() const { return m_object; }
  explicit operator bool() const { return m_object != nullptr; }

 private:
  T* m_object = nullptr;
};
