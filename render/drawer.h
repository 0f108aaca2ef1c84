// The Direct3D 8 renderer of one screen: owns the device holder, the slide pictures,
// the compositor, the overlay drawer, the slideshow and the transition, wires them
// together and runs one frame at a time.
#pragma once

#include <windows.h>

#include <d3d8.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/random.h"
#include "base/screen_options.h"
#include "render/caption_drawer.h"
#include "render/com_ptr.h"
#include "render/compositor.h"
#include "render/overlay_drawer.h"
#include "render/render_device.h"
#include "render/slide_pictures.h"
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

class CDrawer : public CDrawerBase {
 public:
  // With ownSeed, the slideshow's shuffles and effects draw from a generator of their
  // own seeded with it (a screen beside the primary one), from construction on, so
  // that the primary screen's sequence is the same with or without other screens.
  // Without, they draw from the thread's.
  explicit CDrawer(std::optional<unsigned int> ownSeed = std::nullopt);
  virtual ~CDrawer();
  CDrawer(const CDrawer&) = delete;
  CDrawer& operator=(const CDrawer&) = delete;

  // Creates the device for window (windowed, or full screen at the desktop's mode)
  // and everything that depends on it, loads the font and counts the images. False
  // on the first failure; what was made is released by Shutdown. With a monitor the
  // device is a windowed one on the adapter that shows it, in its current mode and
  // without the brightness ramp, which belongs to the primary screen.
  bool Init(HWND window, bool fullScreen, HMONITOR monitor = nullptr);
  // Advances the slideshow to the application's time and draws and presents one
  // frame. While the device is lost it only checks whether it can be reset.
  void Frame();
  // The window's client size changed: the next frame resets a windowed device to it,
  // so the picture is neither stretched nor cut.
  void ResetToWindowSize() { m_device.ResetToWindowSize(); }
  // Tells the decode worker to stop without waiting for it, so that the workers of
  // every screen wind down together before any Shutdown joins one.
  void RequestStop() { m_pictures.RequestStop(); }
  // Releases everything in a fixed order; a second call does nothing.
  void Shutdown();

  IDirect3DTexture8* LoadTexture(const char* name, unsigned mipLevels, D3DFORMAT format) override {
    return m_pictures.LoadTexture(name, mipLevels, format);
  }
  IDirect3DDevice8* GetDevice() override { return m_device.Get(); }

  // See CSlidePictures.
  std::unique_ptr<SlidePicture> LoadPicture(const char* name) {
    return m_pictures.LoadPicture(name);
  }
  IDirect3DTexture8* LoadImageTexture(const char* name, bool screenSized = true) {
    return m_pictures.LoadImageTexture(name, screenSized);
  }

  // Draws text with its top-left corner at (x, y) in screen units, one textured
  // quad a character. Render states are the caller's.
  void OutText(float x, float y, float size, float height, uint32_t colour, const char* text) {
    m_overlays.OutText(x, y, size, height, colour, text);
  }

  // Draws one frame's scene into the back buffer without presenting it: the two
  // images blended by mask (kGridColumns x kGridRows weights) and the overlays.
  // False when the scene could not be drawn.
  // Either picture may be null.
  bool DrawScene(const SlidePicture* current, const SlidePicture* next, const float* mask);

  // Another part's default-pool objects, made and released with the device's own
  // (see CRenderDevice::AddResources).
  void AddDeviceResources(IDeviceResources* owner) { m_device.AddResources(owner); }

  // How pictures meet the screen's shape; Init takes the product's choice.
  void SetFitMode(FitMode mode) {
    m_pictures.SetFitMode(mode);
    m_compositor.SetFitMode(mode);
  }

  // Portraits in pairs on a landscape screen (and landscapes on a portrait one), and
  // fit's bars filled with the picture's blurred backdrop; Init takes the product's
  // choices. Pairs apply from the next picture begun.
  void SetPairs(bool pairs) { m_pairs = pairs; }
  void SetBackdrops(bool backdrops) { m_pictures.SetBackdrops(backdrops); }

  // Whether pictures pan and zoom while on screen; Init takes the product's choice,
  // which gives way to the system's wish for less motion. A moving picture is decoded
  // for its closest view.
  void SetMotion(MotionMode mode);
  bool IsMoving() const { return m_compositor.IsMoving(); }

  // For tests: the number of texture stages the composite uses (1: two passes).
  int GetTextureStages() const { return m_device.GetTextureStages(); }
  void SetTextureStages(int stages) { m_device.SetTextureStages(stages); }
  // For tests: false makes the composite draw fit's bars itself even where the device
  // offers a border colour.
  void UseBorderAddressing(bool use) { m_device.UseBorderAddressing(use); }
  // For tests: the effect of the running cycle.
  int GetEffect() const { return m_transition ? m_transition->GetEffect() : -1; }
  // For tests: the device's state and the loaded content.
  bool IsDeviceLost() const { return m_device.IsLost(); }
  int GetImageCount() const { return m_slideshow.GetImageCount(); }
  const CSlideshow& GetSlideshow() const { return m_slideshow; }
  size_t GetCachedTextureCount() const { return m_pictures.GetCachedTextureCount(); }
  const D3DPRESENT_PARAMETERS& GetPresentParameters() const {
    return m_device.GetPresentParameters();
  }
  // For tests: the gamma ramp Init applied, empty when Brightness is 100.
  const std::vector<uint16_t>& GetAppliedGammaRamp() const {
    return m_device.GetAppliedGammaRamp();
  }
  // For tests: sets the application time and frame time the overlays read.
  void SetFrameClock(double currentTime, double frameTime) {
    m_currentTime = currentTime;
    m_overlays.SetFrameClock(currentTime, frameTime);
  }

 private:
  RandomState* OwnRandom() { return m_hasOwnRandom ? &m_ownRandom : nullptr; }

  // Declared in the order they are made; the device holder goes last.
  CRenderDevice m_device;
  CSlidePictures m_pictures{m_device};
  CCompositor m_compositor{m_device};
  CCaptionDrawer m_captions{m_device};
  COverlayDrawer m_overlays{m_device};
  double m_currentTime = 0.0;   // application time of the frame being drawn, seconds
  bool m_hasOwnRandom = false;  // m_ownRandom replaces the thread's generator
  RandomState m_ownRandom;
  std::unique_ptr<CTransition> m_transition;
  CSlideshow m_slideshow;
  bool m_released = false;  // Shutdown ran
  bool m_pairs = false;     // pictures of the other orientation share a slide
};
