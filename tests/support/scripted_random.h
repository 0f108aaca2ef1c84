// Test helper: installs a scripted random source for its lifetime. Draws come from
// the given list in order, then repeat the last value (or 0 for an empty list).
#pragma once

#include <cstddef>
#include <vector>

#include "base/random.h"

class CScriptedRandom {
 public:
  explicit CScriptedRandom(std::vector<int> draws) : m_draws(std::move(draws)) {
    SetRandomSource(&CScriptedRandom::Next, this);
  }
  ~CScriptedRandom() { SetRandomSource(nullptr, nullptr); }
  CScriptedRandom(const CScriptedRandom&) = delete;
  CScriptedRandom& operator=(const CScriptedRandom&) = delete;

  // Number of draws taken so far.
  size_t Count() const { return m_taken; }

 private:
  static int Next(void* self) {
    auto* s = static_cast<CScriptedRandom*>(self);
    int value = 0;
    if (!s->m_draws.empty())
      value = s->m_draws[s->m_taken < s->m_draws.size() ? s->m_taken : s->m_draws.size() - 1];
    ++s->m_taken;
    return value;
  }
  std::vector<int> m_draws;
  size_t m_taken = 0;
};
