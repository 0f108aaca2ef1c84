// Module state of the window framework (Windows only).
#include "base/module_state.h"

#include <vector>

namespace {
HINSTANCE g_instance = nullptr;
thread_local std::vector<void*> t_creating;
}  // namespace

void CModuleState::Init(HINSTANCE instance) { g_instance = instance; }

void CModuleState::Release() {
  g_instance = nullptr;
  t_creating.clear();
}

HINSTANCE CModuleState::Instance() { return g_instance; }

void CModuleState::PushCreating(void* object) { t_creating.push_back(object); }

void* CModuleState::TakeCreating() {
  if (t_creating.empty()) return nullptr;
  void* object = t_creating.back();
  t_creating.pop_back();
  return object;
}
