// Slideshow windows and renderers on the monitors beside the primary one.
#include "app/secondary_screens.h"

#include <mmsystem.h>

#include "ui/monitor_list.h"

namespace {
// Spreads the screens' seeds apart, so no two start their sequences alike.
constexpr unsigned int kSeedStride = 0x9E3779B9u;
}  // namespace

CSecondaryScreens::~CSecondaryScreens() { Destroy(); }

void CSecondaryScreens::Create(HINSTANCE instance) {
  CMonitorList monitors(GetSystemDisplayAdapters());
  for (int i = 0; i < monitors.GetCount(); ++i) {
    const MonitorEntry* entry = monitors.GetEntry(i);
    const MonitorRect& rect = entry->rect;
    if (entry->primary != 0 || entry->monitor == nullptr) continue;
    Screen screen;
    screen.window = std::make_unique<CSaverWnd>();
    if (!screen.window->CreateOver(instance, rect.left, rect.top, rect.right - rect.left,
                                   rect.bottom - rect.top))
      continue;
    screen.drawer = std::make_unique<CDrawer>();
    // Its own shuffles and effects: the primary screen keeps the process's sequence.
    screen.drawer->UseOwnRandom(timeGetTime() + kSeedStride * static_cast<unsigned int>(i + 1));
    if (!screen.drawer->Init(screen.window->GetHandle(), false,
                             static_cast<HMONITOR>(entry->monitor))) {
      // The black window under it stays as the cover.
      screen.drawer.reset();
      screen.window.reset();
      continue;
    }
    m_screens.push_back(std::move(screen));
  }
}

void CSecondaryScreens::Frame() {
  for (Screen& screen : m_screens) screen.drawer->Frame();
}

void CSecondaryScreens::RequestStop() {
  for (Screen& screen : m_screens) screen.drawer->RequestStop();
}

void CSecondaryScreens::Destroy() {
  for (Screen& screen : m_screens) {
    screen.drawer->Shutdown();
    screen.window->Destroy();
  }
  m_screens.clear();
}
