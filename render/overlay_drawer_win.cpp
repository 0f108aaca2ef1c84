// The overlays' quads: the frame-rate counter at the top left, the clock wandering
// between the corners, and text appended to the frame's vertex buffer.
#include "render/overlay_drawer.h"

#include <cstring>

#include "base/error_trace.h"
#include "base/settings.h"

void COverlayDrawer::SetOverlayStates() {
  IDirect3DDevice8* device = m_device.Get();
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetRenderState(D3DRS_ZENABLE, FALSE);
}

void COverlayDrawer::Draw() {
  if (g_settings.FPS != 0) DrawFps();
  if (g_settings.ShowTime != 0) DrawClock();
}

float COverlayDrawer::GetClockWidth() const {
  if (g_settings.ShowTime == 0) return 0.0f;
  // Two digits, separator, two digits, and "am" or "pm": "10.00am".
  const std::string widest = FormatClockText(10, 0, 0.75, g_settings.Clock24h != 0);
  return m_font.GetTextWidth(widest.c_str(), kClockTextSize);
}

void COverlayDrawer::DrawFps() {
  const std::string text = UpdateFpsText(m_fps, m_currentTime, m_frameTime);
  SetOverlayStates();
  OutText(0.0f, 0.0f, kFpsTextSize, kFpsTextSize, kOverlayColour, text.c_str());
}

void COverlayDrawer::DrawClock() {
  SetOverlayStates();
  const int corner = ClockCorner(m_currentTime, g_settings.FPS != 0);
  SYSTEMTIME now{};
  GetLocalTime(&now);
  m_clockText = FormatClockText(now.wHour, now.wMinute, m_currentTime, g_settings.Clock24h != 0);
  float x = 0.0f, y = 0.0f;
  ClockPosition(corner, m_font.GetTextWidth(m_clockText.c_str(), kClockTextSize), &x, &y);
  OutText(x, y, kClockTextSize, kClockTextSize, kOverlayColour, m_clockText.c_str());
}

void COverlayDrawer::OutText(float x, float y, float size, float height, uint32_t colour,
                             const char* text) {
  RunInErrorFrame("CDrawer::OutText", [&] {
    CDynamicVertexBuffer* buffer = m_device.GetVertexBuffer();
    if (text == nullptr || buffer == nullptr) return;
    const size_t length = std::strlen(text);
    if (length == 0 || length * 4 > CDynamicVertexBuffer::kCapacity) return;
    const auto count = static_cast<unsigned>(length * 4);
    unsigned first = 0;
    // Appended behind the grid of the same frame, never discarding it.
    ScreenVertex* vertices = buffer->Lock(count, &first);
    if (vertices == nullptr) return;
    WriteTextQuads(m_font, x, y, size, height, colour, text, length, vertices);
    buffer->Unlock();
    IDirect3DDevice8* device = m_device.Get();
    device->SetTexture(0, m_fontTexture);
    for (size_t i = 0; i < length; ++i)
      device->DrawPrimitive(D3DPT_TRIANGLESTRIP, first + static_cast<UINT>(4 * i), 2);
  });
}
