// The slideshow on the monitors beside the primary one, for products that ask for it
// on every screen: each gets its own window over its rectangle and its own renderer,
// a windowed device on the adapter of that monitor in its current mode.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "render/drawer.h"
#include "ui/saver_wnd.h"

class CSecondaryScreens {
 public:
  CSecondaryScreens() = default;
  ~CSecondaryScreens();
  CSecondaryScreens(const CSecondaryScreens&) = delete;
  CSecondaryScreens& operator=(const CSecondaryScreens&) = delete;

  // One slideshow on every monitor of the monitor list but the primary one, above its
  // black window. A screen whose window or device cannot be made is left to its black
  // window, without a message.
  void Create(HINSTANCE instance);
  // Draws and presents one frame on each screen.
  void Frame();
  // Tells every screen's decode worker to stop, joining none (see Destroy).
  void RequestStop();
  // Releases every renderer, then its window; safe to call again.
  void Destroy();
  size_t GetCount() const { return m_screens.size(); }

 private:
  struct Screen {
    // Destroyed in reverse order: the renderer lets go of the window first.
    std::unique_ptr<CSaverWnd> window;
    std::unique_ptr<CDrawer> drawer;
  };
  std::vector<Screen> m_screens;
};
