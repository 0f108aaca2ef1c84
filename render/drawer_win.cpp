// The renderer's wiring: Init in order, one frame from slideshow step to present, and
// the release of everything in a fixed order.
#include "render/drawer.h"

#include "base/app_base.h"
#include "base/product_info.h"
#include "base/settings.h"
#include "data/content_layout.h"
#include "render/grid_mesh.h"

namespace {
constexpr DWORD kClearColour = 0xFF000000;  // opaque black
}  // namespace

CDrawer::CDrawer(std::optional<unsigned int> ownSeed)
    : m_hasOwnRandom(ownSeed.has_value()), m_slideshow(m_pictures, [this] {
        if (m_transition) m_transition->ChooseEffect();
      }) {
  if (ownSeed) m_ownRandom.state = *ownSeed;
  // The transition chooses its first effect at once, from this screen's generator.
  CRandomScope random(OwnRandom());
  m_transition = std::make_unique<CTransition>(kGridColumns, kGridRows);
}

CDrawer::~CDrawer() { Shutdown(); }

bool CDrawer::Init(HWND window, bool fullScreen, HMONITOR monitor) {
  SetFitMode(g_product.Fit);
  SetMotion(g_product.Motion);
  SetPairs(g_product.Pairs == PairsOption::On);
  SetBackdrops(g_product.Bars == BarsOption::Blur);
  if (!m_device.Create(window, fullScreen, monitor)) return false;

  // Neither texture is required: without the font's texture the text is untextured.
  m_overlays.SetFontTexture(LoadTexture(kFontTextureName, 0, D3DFMT_UNKNOWN));
  // The default texture stands in for a picture that failed.
  m_compositor.SetDefaultTexture(LoadTexture(kDefaultTextureName, 0, D3DFMT_UNKNOWN));
  if (!m_overlays.LoadFont(kFontDescriptionName)) return false;
  if (g_product.Captions == CaptionsOption::On) {
    m_captions.Load();
    m_captions.SetClockWidth(m_overlays.GetClockWidth());
  }
  m_device.Get()->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kClearColour, 1.0f, 0);

  CRandomScope random(OwnRandom());
  const int count = m_slideshow.DiscoverImages();
  // Partners are chosen by shape, which the worker reads while it has nothing to decode.
  if (m_pairs) m_pictures.ScanShapes(count);
  m_slideshow.SetTimes(g_settings.KeepTime, g_settings.TransitionTime);
  return true;
}

void CDrawer::SetMotion(MotionMode mode) {
  const bool moving = mode == MotionMode::PanZoom && SystemShowsAnimations();
  // The paths draw from a generator of their own, seeded from the slideshow's.
  m_compositor.SetMotion(moving, m_hasOwnRandom ? m_ownRandom.state : GetThreadSeed());
  m_pictures.SetCloseUp(moving ? kMotionMaxZoom : 1.0);
}

void CDrawer::Frame() {
  if (g_pApp != nullptr) SetFrameClock(g_pApp->GetTime(), g_pApp->GetFrameTime());
  if (!m_device.Get() || m_released) return;
  if (!m_device.Prepare()) return;

  CRandomScope random(OwnRandom());
  // Each screen pairs by its own shape, which a resized window changes.
  m_slideshow.SetPairing(
      m_pairs ? ClassifyShape(m_device.GetBackBufferWidth(), m_device.GetBackBufferHeight())
              : PictureShape::Unknown);
  const float progress = m_slideshow.Step(m_currentTime);
  const float* mask = m_transition->ComputeMask(progress);
  auto* current = static_cast<SlidePicture*>(m_slideshow.GetCurrentImage());
  auto* next = static_cast<SlidePicture*>(m_slideshow.GetNextImage());
  m_compositor.MovePictures(current, next, m_slideshow, m_currentTime);
  if (!DrawScene(current, next, mask))
    m_device.CheckLost();
  else
    m_device.Present();
  m_pictures.StartDecode();
}

bool CDrawer::DrawScene(const SlidePicture* current, const SlidePicture* next, const float* mask) {
  IDirect3DDevice8* device = m_device.Get();
  CDynamicVertexBuffer* buffer = m_device.GetVertexBuffer();
  if (device == nullptr || buffer == nullptr) return false;
  if (FAILED(device->BeginScene())) return false;
  buffer->StartFrame();
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kClearColour, 1.0f, 0);
  // A scene left open would make every later BeginScene fail.
  const bool drawn = m_compositor.Draw(current, next, mask);
  if (drawn) {
    // Under the clock and the counter, which may cross it.
    m_captions.Draw(current != nullptr ? current->number : -1,
                    current != nullptr ? current->partner : -1,
                    {m_currentTime, m_slideshow.GetCycleStart(), m_slideshow.GetTransitionStart()});
    m_overlays.Draw();
  }
  device->EndScene();
  return drawn;
}

// Release, in a fixed order; the device goes after everything made from it.
void CDrawer::Shutdown() {
  if (m_released) return;
  m_released = true;
  // First, so that a decode in progress gives up now rather than finishing.
  m_pictures.Stop();
  m_overlays.SetFontTexture(nullptr);
  m_compositor.SetDefaultTexture(nullptr);
  if (IDirect3DDevice8* device = m_device.Get()) {
    for (DWORD stage = 0; stage < 2; ++stage) device->SetTexture(stage, nullptr);
  }
  m_pictures.Release();
  m_captions.Release();
  m_slideshow.ReleaseImages();
  m_device.Release();
  m_transition.reset();
}
