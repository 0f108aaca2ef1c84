// Binding of the waveOut functions through GetProcAddress.
#include "audio/wave_out_library.h"

#include "base/system_library.h"

namespace {
// Looks up one function into a pointer of its own type; false when it is missing.
template <typename Function>
bool Bind(HMODULE module, const char* name, Function* function) {
  *function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  return *function != nullptr;
}
}  // namespace

const CWaveOutLibrary& CWaveOutLibrary::Get() {
  static const CWaveOutLibrary library;
  return library;
}

CWaveOutLibrary::CWaveOutLibrary() {
  HMODULE module = LoadSystemLibrary("winmm.dll");
  if (module == nullptr) return;
  bool found = Bind(module, "waveOutOpen", &Open);
  found = Bind(module, "waveOutClose", &Close) && found;
  found = Bind(module, "waveOutPrepareHeader", &PrepareHeader) && found;
  found = Bind(module, "waveOutUnprepareHeader", &UnprepareHeader) && found;
  found = Bind(module, "waveOutWrite", &Write) && found;
  found = Bind(module, "waveOutReset", &Reset) && found;
  found = Bind(module, "waveOutGetPosition", &GetPosition) && found;
  m_loaded = found;
}
