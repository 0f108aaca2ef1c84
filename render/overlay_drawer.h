// The text drawn over the slideshow: the frame-rate counter, the clock, and text for
// any other caller, one textured quad a character in the bitmap font.
#pragma once

#include <windows.h>

#include <d3d8.h>

#include <cstdint>
#include <string>

#include "render/bitmap_font.h"
#include "render/overlay_text.h"
#include "render/render_device.h"

class COverlayDrawer {
 public:
  explicit COverlayDrawer(CRenderDevice& device) : m_device(device) {}
  COverlayDrawer(const COverlayDrawer&) = delete;
  COverlayDrawer& operator=(const COverlayDrawer&) = delete;

  // Reads the font's description; false when it is missing or malformed.
  bool LoadFont(const char* name) { return m_font.Load(name); }
  // The font's texture (held by the texture cache); null draws untextured text.
  void SetFontTexture(IDirect3DTexture8* texture) { m_fontTexture = texture; }
  // The application time of the frame being drawn and the uncapped length of the
  // last frame, seconds.
  void SetFrameClock(double currentTime, double frameTime) {
    m_currentTime = currentTime;
    m_frameTime = frameTime;
  }

  // The widest the clock gets with the settings, screen widths; 0 when it is off.
  float GetClockWidth() const;

  // Inside an open scene after the composite: the overlays the settings turn on.
  void Draw();
  // Draws text with its top-left corner at (x, y) in screen units, one textured
  // quad a character. Render states are the caller's.
  void OutText(float x, float y, float size, float height, uint32_t colour, const char* text);

 private:
  void DrawFps();
  void DrawClock();
  void SetOverlayStates();

  CRenderDevice& m_device;
  CBitmapFont m_font;
  IDirect3DTexture8* m_fontTexture = nullptr;  // held by the texture cache
  double m_currentTime = 0.0;                  // application time of the frame, seconds
  double m_frameTime = 0.0;                    // uncapped length of the last frame, seconds
  FpsCounter m_fps;                            // the frame-rate overlay's last sample
  std::string m_clockText;                     // last text of the clock overlay
};
