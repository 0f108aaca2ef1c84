// The Direct3D 8 renderer: creates the device for the run's window, shows the
// packaged images as a slideshow blended through the transition effects on a grid
// mesh, draws the frame-rate counter and the clock, and presents each frame. It owns
// every Direct3D object, the texture cache, the slideshow and the font.
#pragma once

#include <windows.h>

#include <d3d8.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "render/bitmap_font.h"
#include "render/com_ptr.h"
#include "render/d3d8_library.h"
#include "render/decode_worker.h"
#include "render/dynamic_index_buffer.h"
#include "render/dynamic_vertex_buffer.h"
#include "render/image_decoder.h"
#include "render/image_source.h"
#include "render/overlay_text.h"
#include "render/slideshow.h"
#include "render/transition.h"

class CDrawerBase {
 public:
  // A texture made from an archive file, cached by name (letter case ignored). The
  // cache keeps the only reference; null when the file is missing or undecodable.
  virtual IDirect3DTexture8* LoadTexture(const char* name, unsigned mipLevels,
                                         D3DFORMAT format) = 0;
  // The device, without a reference for the caller.
  virtual IDirect3DDevice8* GetDevice() = 0;

 protected:
  ~CDrawerBase() = default;
};

class CDrawer : public CDrawerBase, private IImageSource {
 public:
  CDrawer();
  virtual ~CDrawer();
  CDrawer(const CDrawer&) = delete;
  CDrawer& operator=(const CDrawer&) = delete;

  // Creates the device for window (windowed, or full screen at the desktop's mode)
  // and everything that depends on it, loads the font and counts the images. False
  // on the first failure; what was made is released by Shutdown.
  bool Init(HWND window, bool fullScreen);
  // Advances the slideshow to the application's time and draws and presents one
  // frame. While the device is lost it only checks whether it can be reset.
  void Frame();
  // The window's client size changed: the next frame resets a windowed device to it,
  // so the picture is neither stretched nor cut.
  void ResetToWindowSize() { m_sizeChanged = true; }
  // Releases everything in a fixed order; a second call does nothing.
  void Shutdown();

  IDirect3DTexture8* LoadTexture(const char* name, unsigned mipLevels, D3DFORMAT format) override;
  IDirect3DDevice8* GetDevice() override { return m_device.Get(); }

  // A new texture of a slideshow image (the caller owns the reference), with a
  // retry at 1024 x 1024 for a device that cannot take it at its own size. Unless
  // screenSized is false, no side is larger than the back buffer's (rounded up to a
  // power of two on devices that need it).
  IDirect3DTexture8* LoadImageTexture(const char* name, bool screenSized = true);

  // Draws text with its top-left corner at (x, y) in screen units, one textured
  // quad a character. Render states are the caller's.
  void OutText(float x, float y, float size, float height, uint32_t colour, const char* text);

  // Draws one frame's scene into the back buffer without presenting it: the two
  // images blended by mask (kGridColumns x kGridRows weights) and the overlays.
  // False when the scene could not be drawn.
  bool DrawScene(IDirect3DTexture8* current, IDirect3DTexture8* next, const float* mask);

  // For tests: the number of texture stages the composite uses (1: two passes).
  int GetTextureStages() const { return m_textureStages; }
  void SetTextureStages(int stages) { m_textureStages = stages < 1 ? 1 : stages; }
  // For tests: the device's state and the loaded content.
  bool IsDeviceLost() const { return m_deviceLost; }
  int GetImageCount() const { return m_slideshow.GetImageCount(); }
  const CSlideshow& GetSlideshow() const { return m_slideshow; }
  size_t GetCachedTextureCount() const { return m_cacheNames.size(); }
  const D3DPRESENT_PARAMETERS& GetPresentParameters() const { return m_present; }
  // For tests: the gamma ramp Init applied, empty when Brightness is 100.
  const std::vector<uint16_t>& GetAppliedGammaRamp() const { return m_appliedRamp; }
  // For tests: sets the application time and frame time the overlays read.
  void SetFrameClock(double currentTime, double frameTime) {
    m_currentTime = currentTime;
    m_frameTime = frameTime;
  }

 private:
  // IImageSource over the archive and the texture loader, for the slideshow; the
  // next picture is decoded by the worker and only made a texture here.
  bool HasImage(int number) override;
  ImageHandle LoadImage(int number) override;
  void ReleaseImage(ImageHandle image) override;
  bool BeginImage(int number) override;
  bool TakeImage(ImageHandle* image) override;
  void CancelImage() override;
  // Hands the image BeginImage chose to the worker; called when a frame is done.
  void StartDecode();

  bool CreateDevice(HWND window, bool fullScreen);
  void ApplyBrightness();
  // The default-pool objects and the states that a Reset loses: the saved
  // surfaces, the buffers, the grid indices, the fixed states and bindings.
  bool CreateDeviceResources();
  void ReleaseDeviceResources();
  void SetFixedStates();
  // Polls a lost device, or resets a resized one; true once it is usable again.
  bool Recover();
  // What to ask the decoder for, from the device's caps (and the back buffer's size
  // when screenSized).
  ImageRequest MakeRequest(unsigned mipLevels, int width, int height, bool screenSized) const;
  IDirect3DTexture8* CreateTextureFromFile(const char* name, const ImageRequest& request,
                                           D3DFORMAT format);
  IDirect3DTexture8* CreateTexture(const DecodedImage& image, D3DFORMAT format);

  void SetTransforms();
  bool FillGrid(const float* mask);
  void DrawComposite(IDirect3DTexture8* current, IDirect3DTexture8* next);
  void DrawGrid();
  void DrawOverlays();
  void DrawFps();
  void DrawClock();
  void SetOverlayStates();

  CD3D8Library m_library;      // keeps d3d8.dll loaded while any object lives
  double m_currentTime = 0.0;  // application time of the frame being drawn, seconds
  double m_frameTime = 0.0;    // uncapped length of the last frame, seconds
  FpsCounter m_fps;            // the frame-rate overlay's last sample
  std::string m_clockText;     // last text of the clock overlay

  CCom<IDirect3D8> m_direct3D;
  CCom<IDirect3DDevice8> m_device;
  IDirect3DTexture8* m_fontTexture = nullptr;     // held by the cache
  IDirect3DTexture8* m_defaultTexture = nullptr;  // held by the cache
  CCom<IDirect3DSurface8> m_savedRenderTarget;
  CCom<IDirect3DSurface8> m_savedDepthStencil;
  D3DCAPS8 m_caps{};
  int m_backBufferWidth = 0;          // pixels of the device's back buffer
  int m_backBufferHeight = 0;         // pixels
  D3DPRESENT_PARAMETERS m_present{};  // kept for Reset after a lost device
  std::unique_ptr<CDynamicVertexBuffer> m_vertexBuffer;
  std::unique_ptr<CDynamicIndexBuffer> m_indexBuffer;
  std::vector<uint16_t> m_appliedRamp;

  // The texture cache: parallel lists, entry i is one texture.
  std::vector<std::string> m_cacheNames;                 // as the caller passed them
  std::vector<CCom<IDirect3DTexture8>> m_cacheTextures;  // the only references

  CBitmapFont m_font;
  std::unique_ptr<CTransition> m_transition;
  CSlideshow m_slideshow;
  // Declared after the slideshow so that it stops before the pictures go.
  CDecodeWorker m_worker;
  int m_pendingNumber = -1;      // image the worker prepares for the slideshow
  bool m_decodeWaiting = false;  // m_pendingNumber is not yet handed to the worker
  int m_textureStages = 1;       // usable texture stages, at least 1
  bool m_deviceLost = false;     // Present reported a lost device; drawing waits
  bool m_sizeChanged = false;    // the window was resized; the next frame resets
  bool m_cursorHidden = false;   // the full-screen device hid the cursor; Shutdown shows it
  bool m_released = false;       // Shutdown ran
};
