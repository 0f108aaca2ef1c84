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

#include "base/random.h"
#include "base/screen_options.h"
#include "render/bitmap_font.h"
#include "render/com_ptr.h"
#include "render/d3d8_library.h"
#include "render/decode_worker.h"
#include "render/dynamic_index_buffer.h"
#include "render/dynamic_vertex_buffer.h"
#include "render/image_decoder.h"
#include "render/image_source.h"
#include "render/overlay_text.h"
#include "render/picture_placement.h"
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

// A slideshow picture: its texture and the picture's own size, which the texture's
// (scaled, perhaps to powers of two) does not keep and the placement needs.
struct SlidePicture {
  CCom<IDirect3DTexture8> texture;
  int width = 0;  // pixels of the picture as packaged
  int height = 0;
};

class CDrawer : public CDrawerBase, private IImageSource {
 public:
  CDrawer();
  virtual ~CDrawer();
  CDrawer(const CDrawer&) = delete;
  CDrawer& operator=(const CDrawer&) = delete;

  // Creates the device for window (windowed, or full screen at the desktop's mode)
  // and everything that depends on it, loads the font and counts the images. False
  // on the first failure; what was made is released by Shutdown. With a monitor the
  // device is a windowed one on the adapter that shows it, in its current mode and
  // without the brightness ramp, which belongs to the primary screen.
  bool Init(HWND window, bool fullScreen, HMONITOR monitor = nullptr);
  // The slideshow's shuffles and effects draw from a generator of their own seeded
  // with seed, not from the thread's (a screen beside the primary one).
  void UseOwnRandom(unsigned int seed) {
    m_ownRandom.state = seed;
    m_hasOwnRandom = true;
  }
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

  // A slideshow image's texture with the picture's own size, with a retry at
  // 1024 x 1024 for a device that cannot take it at its size; null when the image
  // cannot be loaded.
  std::unique_ptr<SlidePicture> LoadPicture(const char* name);
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
  // Either picture may be null.
  bool DrawScene(const SlidePicture* current, const SlidePicture* next, const float* mask);

  // How pictures meet the screen's shape; Init takes the product's choice.
  void SetFitMode(FitMode mode) { m_fit = mode; }

  // For tests: the number of texture stages the composite uses (1: two passes).
  int GetTextureStages() const { return m_textureStages; }
  void SetTextureStages(int stages) { m_textureStages = stages < 1 ? 1 : stages; }
  // For tests: false makes fit paint its black edge into the pictures even where the
  // device offers a border colour.
  void UseBorderAddressing(bool use) {
    m_borderAddressing = use && (m_caps.TextureAddressCaps & D3DPTADDRESSCAPS_BORDER) != 0;
  }
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

  bool CreateDevice(HWND window, bool fullScreen, HMONITOR monitor);
  RandomState* OwnRandom() { return m_hasOwnRandom ? &m_ownRandom : nullptr; }
  void ApplyBrightness();
  // The default-pool objects and the states that a Reset loses: the saved
  // surfaces, the buffers, the grid indices, the fixed states and bindings.
  bool CreateDeviceResources();
  void ReleaseDeviceResources();
  void SetFixedStates();
  // Polls a lost device, or resets a resized one; true once it is usable again.
  bool Recover();
  // What to ask the decoder for, from the device's caps (and the back buffer's size
  // and the fit mode when screenSized).
  ImageRequest MakeRequest(unsigned mipLevels, int width, int height, bool screenSized) const;
  // Reads and decodes an archive file; false when it is missing or undecodable.
  bool DecodeFile(const char* name, const ImageRequest& request, DecodedImage& image);
  IDirect3DTexture8* CreateTextureFromFile(const char* name, const ImageRequest& request,
                                           D3DFORMAT format);
  IDirect3DTexture8* CreateTexture(const DecodedImage& image, D3DFORMAT format);
  // A slideshow picture from its decoded levels (given the black edge that fit needs
  // where the device has no border colour), retried at 1024 x 1024 from file `name`
  // when the device cannot take the texture; null when neither works.
  std::unique_ptr<SlidePicture> MakePicture(DecodedImage& image, const char* name);
  void ReadBackBufferSize();

  void SetTransforms();
  bool FillGrid(const float* mask);
  void DrawComposite(const SlidePicture* current, const SlidePicture* next);
  void DrawCompositeTwoPass(const SlidePicture* current, const SlidePicture* next);
  void DrawCompositeOnePass(const SlidePicture* current, const SlidePicture* next);
  // Binds picture to stage with its placement: a texture transform and, for fit,
  // black outside it. EndPlacement puts the stage back to untransformed wrapping.
  void BindPicture(DWORD stage, const SlidePicture* picture);
  void EndPlacement(DWORD stage);
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
  FitMode m_fit = kDefaultFit;
  bool m_borderAddressing = false;      // the device paints outside a texture in a border colour
  UINT m_adapter = D3DADAPTER_DEFAULT;  // the adapter of the window's monitor
  bool m_primaryScreen = true;          // full screen or test window: owns the brightness
  bool m_hasOwnRandom = false;          // m_ownRandom replaces the thread's generator
  RandomState m_ownRandom;
  bool m_deviceLost = false;    // Present reported a lost device; drawing waits
  bool m_sizeChanged = false;   // the window was resized; the next frame resets
  bool m_cursorHidden = false;  // the full-screen device hid the cursor; Shutdown shows it
  bool m_released = false;      // Shutdown ran
};
