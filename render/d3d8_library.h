// Direct3D 8 loaded at run time: MinGW has no import library for d3d8.dll, and a
// system without it must see an ordinary initialisation failure, not a loader error.
#pragma once

#include <windows.h>

#include <d3d8.h>

// The SDK version the renderer asks for: the first Direct3D 8 (8.1's headers say 220).
constexpr UINT kRendererSdkVersion = 120;

class CD3D8Library {
 public:
  explicit CD3D8Library(const char* dllName = "d3d8.dll");
  // Unloads the library: every object it created must have been released before.
  ~CD3D8Library();
  CD3D8Library(const CD3D8Library&) = delete;
  CD3D8Library& operator=(const CD3D8Library&) = delete;

  bool IsLoaded() const { return m_create != nullptr; }
  // A new Direct3D object (one reference for the caller), or null when the library
  // or its entry point is missing or the runtime refuses the SDK version.
  IDirect3D8* Create(UINT sdkVersion = kRendererSdkVersion) const;

 private:
  using CreateFunction = IDirect3D8*(WINAPI*)(UINT sdkVersion);
  HMODULE m_module = nullptr;
  CreateFunction m_create = nullptr;
};
