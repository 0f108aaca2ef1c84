// What a part of the renderer implements when it keeps default-pool objects of its
// own: the device creates and releases them with its own, so recovery from a lost or
// resized device stays one Release, Reset, Create.
#pragma once

#include <windows.h>

#include <d3d8.h>

class IDeviceResources {
 public:
  // Makes the objects a Reset loses; false when any cannot be made (the device then
  // asks again on a later frame).
  virtual bool CreateDeviceResources(IDirect3DDevice8* device) = 0;
  // Lets go of them; safe when they were never made or are already gone.
  virtual void ReleaseDeviceResources() = 0;

 protected:
  ~IDeviceResources() = default;
};
