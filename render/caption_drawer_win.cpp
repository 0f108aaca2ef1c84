// Caption textures and their quad.
#include "render/caption_drawer.h"

#include <cstring>
#include <memory>

#include "base/settings.h"
#include "data/content_archive.h"
#include "data/content_layout.h"
#include "render/caption_layout.h"

namespace {

UINT PowerOfTwo(int side) {
  UINT power = 1;
  while (power < static_cast<UINT>(side)) power <<= 1;
  return power;
}

}  // namespace

void CCaptionDrawer::Load() {
  const std::unique_ptr<IFileData> file = ReadArchiveFile(kCaptionsName, false);
  if (file) m_captions.Parse(file->GetData(), static_cast<size_t>(file->GetSize()));
  m_loaded = true;
}

void CCaptionDrawer::Release() {
  m_texture.Reset();
  m_number = -1;
}

bool CCaptionDrawer::MakeTexture(int number, int screenWidth, int screenHeight) {
  m_texture.Reset();
  IDirect3DDevice8* device = m_device.Get();
  const Caption* caption = m_captions.Find(number);
  if (caption == nullptr) return false;
  CaptionImage image;
  if (!m_painter.Paint(CCaptionPainter::CaptionText(*caption), CaptionPixelHeight(screenHeight),
                       CaptionMaxPixels(screenWidth, m_clockWidth), &image))
    return false;
  D3DCAPS8 caps{};
  device->GetDeviceCaps(&caps);
  const bool powers = (caps.TextureCaps & D3DPTEXTURECAPS_POW2) != 0;
  const UINT width = powers ? PowerOfTwo(image.width) : static_cast<UINT>(image.width);
  const UINT height = powers ? PowerOfTwo(image.height) : static_cast<UINT>(image.height);
  CCom<IDirect3DTexture8> texture;
  if (FAILED(
          device->CreateTexture(width, height, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture)))
    return false;
  D3DLOCKED_RECT locked{};
  if (FAILED(texture->LockRect(0, &locked, nullptr, 0))) return false;
  auto* bits = static_cast<BYTE*>(locked.pBits);
  for (UINT y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(bits + static_cast<size_t>(y) * locked.Pitch);
    std::memset(row, 0, width * sizeof(uint32_t));
    if (y < static_cast<UINT>(image.height))
      std::memcpy(row, image.pixels.data() + static_cast<size_t>(y) * image.width,
                  static_cast<size_t>(image.width) * sizeof(uint32_t));
  }
  texture->UnlockRect(0);
  m_texture = texture;
  m_width = image.width;
  m_height = image.height;
  m_uRight = static_cast<float>(image.width) / static_cast<float>(width);
  m_vBottom = static_cast<float>(image.height) / static_cast<float>(height);
  ++m_texturesMade;
  return true;
}

void CCaptionDrawer::Draw(int number, const CaptionTiming& timing) {
  IDirect3DDevice8* device = m_device.Get();
  CDynamicVertexBuffer* vertices = m_device.GetVertexBuffer();
  if (!m_loaded || device == nullptr || vertices == nullptr) return;
  const int screenWidth = m_device.GetBackBufferWidth();
  const int screenHeight = m_device.GetBackBufferHeight();
  const bool clockShown = g_settings.ShowTime != 0;
  const bool fpsShown = g_settings.FPS != 0;
  if (number != m_number || screenHeight != m_screenHeight) {
    m_number = number;
    m_screenHeight = screenHeight;
    MakeTexture(number, screenWidth, screenHeight);
  }
  if (!m_texture) return;
  const float opacity =
      CaptionOpacity(timing.now, timing.shownFrom, timing.hideAt, clockShown, fpsShown);
  if (opacity <= 0.0f) return;
  unsigned first = 0;
  // Appended behind the grid of the same frame, like the overlays' text.
  ScreenVertex* quad = vertices->Lock(4, &first);
  if (quad == nullptr) return;
  CaptionQuad(CaptionSideAt(timing.now, clockShown, fpsShown), m_width, m_height, screenWidth,
              screenHeight, opacity, quad);
  for (int i = 0; i < 4; ++i) {
    quad[i].u *= m_uRight;
    quad[i].v *= m_vBottom;
  }
  vertices->Unlock();
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetRenderState(D3DRS_ZENABLE, FALSE);
  device->SetTexture(0, m_texture.Get());
  device->DrawPrimitive(D3DPT_TRIANGLESTRIP, first, 2);
}
