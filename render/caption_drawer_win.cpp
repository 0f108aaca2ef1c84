// Caption textures and their quad.
#include "render/caption_drawer.h"

#include <cstring>
#include <memory>

#include "base/settings.h"
#include "data/content_archive.h"
#include "data/content_layout.h"
#include "render/caption_layout.h"
#include "render/image_decoder.h"

void CCaptionDrawer::Load() {
  const std::unique_ptr<IFileData> file = ReadArchiveFile(kCaptionsName, false);
  if (file) m_captions.Parse(file->GetData(), static_cast<size_t>(file->GetSize()));
  m_loaded = true;
}

void CCaptionDrawer::Release() {
  for (Slot& slot : m_slots) slot = Slot{};
}

bool CCaptionDrawer::MakeTexture(Slot& slot, int number, int maxPixels, int screenHeight) {
  slot = Slot{};
  slot.number = number;
  slot.screenHeight = screenHeight;
  slot.maxPixels = maxPixels;
  IDirect3DDevice8* device = m_device.Get();
  const Caption* caption = m_captions.Find(number);
  if (caption == nullptr) return false;
  CaptionImage image;
  if (!m_painter.Paint(CCaptionPainter::CaptionText(*caption), CaptionPixelHeight(screenHeight),
                       maxPixels, &image))
    return false;
  D3DCAPS8 caps{};
  device->GetDeviceCaps(&caps);
  const bool powers = (caps.TextureCaps & D3DPTEXTURECAPS_POW2) != 0;
  const UINT width =
      powers ? static_cast<UINT>(RoundUpToPowerOfTwo(image.width)) : static_cast<UINT>(image.width);
  const UINT height = powers ? static_cast<UINT>(RoundUpToPowerOfTwo(image.height))
                             : static_cast<UINT>(image.height);
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
  slot.texture = texture;
  slot.width = image.width;
  slot.height = image.height;
  slot.uRight = static_cast<float>(image.width) / static_cast<float>(width);
  slot.vBottom = static_cast<float>(image.height) / static_cast<float>(height);
  ++m_texturesMade;
  return true;
}

void CCaptionDrawer::Draw(int number, int partner, const CaptionTiming& timing) {
  if (!m_loaded || m_device.Get() == nullptr || m_device.GetVertexBuffer() == nullptr) return;
  const int screenWidth = m_device.GetBackBufferWidth();
  const int screenHeight = m_device.GetBackBufferHeight();
  if (partner < 0) {
    DrawSlot(m_slots[0], number, CaptionRegion{}, timing);
    return;
  }
  DrawSlot(m_slots[0], number, PairCaptionRegion(screenWidth, screenHeight, 0), timing);
  DrawSlot(m_slots[1], partner, PairCaptionRegion(screenWidth, screenHeight, 1), timing);
}

void CCaptionDrawer::DrawSlot(Slot& slot, int number, const CaptionRegion& region,
                              const CaptionTiming& timing) {
  IDirect3DDevice8* device = m_device.Get();
  CDynamicVertexBuffer* vertices = m_device.GetVertexBuffer();
  const int screenWidth = m_device.GetBackBufferWidth();
  const int screenHeight = m_device.GetBackBufferHeight();
  const bool clockShown = g_settings.ShowTime != 0;
  const bool fpsShown = g_settings.FPS != 0;
  const int maxPixels = CaptionMaxPixels(screenWidth, m_clockWidth, region);
  if (number != slot.number || screenHeight != slot.screenHeight || maxPixels != slot.maxPixels)
    MakeTexture(slot, number, maxPixels, screenHeight);
  if (!slot.texture) return;
  const float opacity =
      CaptionOpacity(timing.now, timing.shownFrom, timing.hideAt, clockShown, fpsShown);
  if (opacity <= 0.0f) return;
  unsigned first = 0;
  // Appended behind the grid of the same frame, like the overlays' text.
  ScreenVertex* quad = vertices->Lock(4, &first);
  if (quad == nullptr) return;
  CaptionQuad(CaptionSideAt(timing.now, clockShown, fpsShown), slot.width, slot.height, screenWidth,
              screenHeight, opacity, quad, region);
  for (int i = 0; i < 4; ++i) {
    quad[i].u *= slot.uRight;
    quad[i].v *= slot.vBottom;
  }
  vertices->Unlock();
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetRenderState(D3DRS_ZENABLE, FALSE);
  device->SetTexture(0, slot.texture.Get());
  device->DrawPrimitive(D3DPT_TRIANGLESTRIP, first, 2);
}
