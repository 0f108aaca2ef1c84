// The system's display adapters for the monitor list: EnumDisplayDevicesA,
// EnumDisplaySettingsA and MonitorFromRect.
#include <windows.h>

#include "ui/monitor_list.h"

namespace {
class CWin32DisplayAdapters : public IDisplayAdapters {
 public:
  bool EnumAdapter(unsigned index, AdapterInfo* adapter) override {
    DISPLAY_DEVICEA device{};
    device.cb = sizeof device;
    if (!EnumDisplayDevicesA(nullptr, index, &device, 0)) return false;
    adapter->name = device.DeviceName;
    adapter->description = device.DeviceString;
    adapter->stateFlags = device.StateFlags;
    return true;
  }

  std::string FirstMonitorDescription(const std::string& adapterName) override {
    DISPLAY_DEVICEA monitor{};
    monitor.cb = sizeof monitor;
    if (!EnumDisplayDevicesA(adapterName.c_str(), 0, &monitor, 0)) return std::string();
    return monitor.DeviceString;
  }

  bool GetCurrentMode(const std::string& adapterName, AdapterMode* mode) override {
    DEVMODEA devmode{};
    devmode.dmSize = sizeof devmode;
    devmode.dmDriverExtra = 0;
    if (!EnumDisplaySettingsA(adapterName.c_str(), ENUM_CURRENT_SETTINGS, &devmode)) return false;
    mode->x = devmode.dmPosition.x;
    mode->y = devmode.dmPosition.y;
    mode->width = devmode.dmPelsWidth;
    mode->height = devmode.dmPelsHeight;
    return true;
  }

  void* MonitorFromRect(const MonitorRect& rect) override {
    const RECT area{rect.left, rect.top, rect.right, rect.bottom};
    return ::MonitorFromRect(&area, MONITOR_DEFAULTTONULL);
  }
};
}  // namespace

IDisplayAdapters& GetSystemDisplayAdapters() {
  static CWin32DisplayAdapters adapters;
  return adapters;
}
