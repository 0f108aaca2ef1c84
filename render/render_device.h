// The renderer's Direct3D 8 device: its creation on the window's adapter, the
// default-pool objects and fixed states a Reset loses, recovery from a lost or
// resized device, and the brightness ramp. Every other part of the renderer draws
// through it and never creates or resets the device itself.
#pragma once

#include <windows.h>

#include <d3d8.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "render/com_ptr.h"
#include "render/d3d8_library.h"
#include "render/device_resources.h"
#include "render/dynamic_index_buffer.h"
#include "render/dynamic_vertex_buffer.h"

class CRenderDevice {
 public:
  CRenderDevice() = default;
  ~CRenderDevice() { Release(); }
  CRenderDevice(const CRenderDevice&) = delete;
  CRenderDevice& operator=(const CRenderDevice&) = delete;

  // Creates the device for window (windowed, or full screen at the desktop's mode),
  // applies the brightness ramp and makes the device resources. With a monitor the
  // device is a windowed one on the adapter that shows it, in its current mode and
  // without the ramp, which belongs to the primary screen. False on the first
  // failure; what was made is released by Release.
  bool Create(HWND window, bool fullScreen, HMONITOR monitor);
  // Another part's default-pool objects, made and released with the device's own from
  // now on (the caller makes them now if the device already has its resources). The
  // owner must outlive the device or be removed by Release first.
  void AddResources(IDeviceResources* owner) { m_owners.push_back(owner); }

  // Whether frames can be drawn now: polls a lost device, resets a resized one, and
  // makes the device resources again where a reset lost them. True once usable.
  bool Prepare();
  // Presents the back buffer; a lost device is noted for Prepare.
  void Present();
  // The scene could not be drawn: the device is noted lost if it says so.
  void CheckLost();
  // The window's client size changed: Prepare resets a windowed device to it.
  void ResetToWindowSize() { m_sizeChanged = true; }

  // Releases the device resources, the device and Direct3D, and shows the cursor a
  // full-screen device hid. A second call does nothing.
  void Release();

  IDirect3DDevice8* Get() const { return m_device.Get(); }
  const D3DCAPS8& GetCaps() const { return m_caps; }
  const D3DPRESENT_PARAMETERS& GetPresentParameters() const { return m_present; }
  int GetBackBufferWidth() const { return m_backBufferWidth; }
  int GetBackBufferHeight() const { return m_backBufferHeight; }
  // The frame's shared vertex buffer; null while the device resources are missing.
  CDynamicVertexBuffer* GetVertexBuffer() const { return m_vertexBuffer.get(); }
  // The texture stages a draw can use at once, at least 1 (tests may lower it).
  int GetTextureStages() const { return m_textureStages; }
  void SetTextureStages(int stages) { m_textureStages = stages < 1 ? 1 : stages; }
  // The device paints outside a texture in a border colour (tests may turn it off).
  bool HasBorderAddressing() const { return m_borderAddressing; }
  void UseBorderAddressing(bool use) {
    m_borderAddressing = use && (m_caps.TextureAddressCaps & D3DPTADDRESSCAPS_BORDER) != 0;
  }
  bool IsLost() const { return m_deviceLost; }
  // The gamma ramp applied, empty when Brightness is 100 or on another screen.
  const std::vector<uint16_t>& GetAppliedGammaRamp() const { return m_appliedRamp; }

  // Stage 0 as most draws want it: the texture modulated by the vertex colour, for
  // colour and alpha alike.
  static void SetModulateStage0(IDirect3DDevice8* device);

 private:
  bool CreateDevice(HWND window, bool fullScreen, HMONITOR monitor);
  void ApplyBrightness();
  // The default-pool objects and the states that a Reset loses: the saved surfaces,
  // the buffers, the grid indices, the fixed states, the bindings and the owners'.
  bool CreateResources();
  void ReleaseResources();
  void SetFixedStates();
  // Slideshow pictures are decoded and placed for this size; a windowed device's size
  // comes from the client area, so it is read back rather than taken from m_present.
  void ReadBackBufferSize();

  CD3D8Library m_library;  // keeps d3d8.dll loaded while any object lives
  CCom<IDirect3D8> m_direct3D;
  CCom<IDirect3DDevice8> m_device;
  CCom<IDirect3DSurface8> m_savedRenderTarget;
  CCom<IDirect3DSurface8> m_savedDepthStencil;
  D3DCAPS8 m_caps{};
  int m_backBufferWidth = 0;          // pixels of the device's back buffer
  int m_backBufferHeight = 0;         // pixels
  D3DPRESENT_PARAMETERS m_present{};  // kept for Reset after a lost device
  std::unique_ptr<CDynamicVertexBuffer> m_vertexBuffer;
  std::unique_ptr<CDynamicIndexBuffer> m_indexBuffer;
  std::vector<IDeviceResources*> m_owners;  // other parts' default-pool objects
  std::vector<uint16_t> m_appliedRamp;
  int m_textureStages = 1;              // usable texture stages, at least 1
  bool m_borderAddressing = false;      // the device paints outside a texture in a border colour
  UINT m_adapter = D3DADAPTER_DEFAULT;  // the adapter of the window's monitor
  bool m_primaryScreen = true;          // full screen or test window: owns the brightness
  bool m_deviceLost = false;            // Present reported a lost device; drawing waits
  bool m_sizeChanged = false;           // the window was resized; the next frame resets
  bool m_cursorHidden = false;          // the full-screen device hid the cursor; Release shows it
};
