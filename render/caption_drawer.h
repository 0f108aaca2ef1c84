// The captions piece of the overlays: reads the product's captions, makes the shown
// picture's caption texture once when that picture comes in, and draws it as one
// textured quad near the bottom of the screen, away from the clock.
#pragma once

#include <windows.h>

#include <d3d8.h>

#include "data/caption_list.h"
#include "render/caption_layout.h"
#include "render/caption_painter.h"
#include "render/com_ptr.h"
#include "render/render_device.h"

// When the caption shows: the cycle's times from the slideshow.
struct CaptionTiming {
  double now = 0.0;        // application seconds
  double shownFrom = 0.0;  // the transition has brought the picture in
  double hideAt = 0.0;     // the next transition begins
};

class CCaptionDrawer {
 public:
  explicit CCaptionDrawer(CRenderDevice& device) : m_device(device) {}
  CCaptionDrawer(const CCaptionDrawer&) = delete;
  CCaptionDrawer& operator=(const CCaptionDrawer&) = delete;

  // Reads images/captions.txt from the content; without it no picture has a caption.
  // Until this is called nothing is drawn (the product's <Captions> is off).
  void Load();
  // How wide the clock is at most, screen widths (0: not shown); longer captions wrap
  // so as never to reach it.
  void SetClockWidth(float width) { m_clockWidth = width; }
  // Inside an open scene after the composite: image `number`'s caption (none for -1
  // or an image without one), where the clock and the counter (the settings) are not;
  // with a partner (a pair's slide), each image's caption in its own half. A texture
  // is made when its image changes and lives in the managed pool, so a reset keeps it.
  void Draw(int number, int partner, const CaptionTiming& timing);
  // Gives the textures back (the renderer's shutdown).
  void Release();

  // For tests: the number of textures made so far.
  int GetTexturesMade() const { return m_texturesMade; }

 private:
  // One caption's texture and where it was made for.
  struct Slot {
    CCom<IDirect3DTexture8> texture;  // null: no caption
    int number = -1;                  // the picture it belongs to
    int screenHeight = 0;             // the back buffer height it was made for
    int maxPixels = 0;                // the line width it was wrapped to
    int width = 0;                    // the caption's pixels within the texture
    int height = 0;
    float uRight = 1.0f;  // texture coordinates of the caption's right and lower edges
    float vBottom = 1.0f;
  };

  bool MakeTexture(Slot& slot, int number, int maxPixels, int screenHeight);
  void DrawSlot(Slot& slot, int number, const CaptionRegion& region, const CaptionTiming& timing);

  CRenderDevice& m_device;
  bool m_loaded = false;      // Load ran: the product shows captions
  float m_clockWidth = 0.0f;  // screen widths
  CCaptionList m_captions;
  CCaptionPainter m_painter;
  Slot m_slots[2];  // the picture's (or a pair's first) caption, and a pair's second
  int m_texturesMade = 0;
};
