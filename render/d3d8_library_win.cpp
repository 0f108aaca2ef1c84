// Binding of Direct3DCreate8 through GetProcAddress, from the system folder's d3d8.dll.
#include "render/d3d8_library.h"

#include "base/system_library.h"

CD3D8Library::CD3D8Library(const char* dllName) {
  m_module = LoadSystemLibrary(dllName);
  if (m_module == nullptr) return;
  m_create = reinterpret_cast<CreateFunction>(
      reinterpret_cast<void*>(GetProcAddress(m_module, "Direct3DCreate8")));
}

CD3D8Library::~CD3D8Library() {
  if (m_module != nullptr) FreeLibrary(m_module);
}

IDirect3D8* CD3D8Library::Create(UINT sdkVersion) const {
  return m_create != nullptr ? m_create(sdkVersion) : nullptr;
}
