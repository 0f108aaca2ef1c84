// The display adapters of the system with their desktop rectangles, in enumeration
// order: the list the black windows cover the monitors from. The list is built from
// the adapters' state flags and current modes through a seam, so the rules (mirroring
// drivers skipped, detached adapters kept with an empty rectangle) are tested from
// scripted tables.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Adapter state flags as the system reports them.
constexpr uint32_t kAdapterAttachedToDesktop = 0x1;  // DISPLAY_DEVICE_ATTACHED_TO_DESKTOP
constexpr uint32_t kAdapterPrimary = 0x4;            // DISPLAY_DEVICE_PRIMARY_DEVICE
constexpr uint32_t kAdapterMirroring = 0x8;          // DISPLAY_DEVICE_MIRRORING_DRIVER

// Room for a description: 127 characters and the terminator.
constexpr size_t kMonitorDescriptionSize = 128;

// A rectangle in virtual-screen pixels; right and bottom are exclusive.
struct MonitorRect {
  long left = 0;
  long top = 0;
  long right = 0;
  long bottom = 0;
};

struct MonitorEntry {
  char adapterDescription[kMonitorDescriptionSize];  // the adapter's DeviceString
  char monitorDescription[kMonitorDescriptionSize];  // DeviceString of its first monitor
  void* monitor;     // HMONITOR of the rectangle; null when not part of the desktop
  MonitorRect rect;  // all zero when not part of the desktop
  int32_t primary;   // 1 for the primary adapter, else 0
};

// One adapter as the system enumerates it.
struct AdapterInfo {
  std::string name;         // device name, as the per-adapter queries take it
  std::string description;  // DeviceString
  uint32_t stateFlags = 0;  // kAdapter* bits
};

// The adapter's current mode: its desktop position and size in pixels.
struct AdapterMode {
  long x = 0;
  long y = 0;
  uint32_t width = 0;
  uint32_t height = 0;
};

// The system's answers the list is built from.
class IDisplayAdapters {
 public:
  // The adapter at index; false past the last one.
  virtual bool EnumAdapter(unsigned index, AdapterInfo* adapter) = 0;
  // DeviceString of the adapter's first monitor; empty when it has none.
  virtual std::string FirstMonitorDescription(const std::string& adapterName) = 0;
  // False when the current mode cannot be read.
  virtual bool GetCurrentMode(const std::string& adapterName, AdapterMode* mode) = 0;
  // The monitor that rect lies on, or null.
  virtual void* MonitorFromRect(const MonitorRect& rect) = 0;

 protected:
  ~IDisplayAdapters() = default;
};

class CMonitorList {
 public:
  // Fills the list at once from the adapters' answers.
  explicit CMonitorList(IDisplayAdapters& adapters);

  int GetCount() const { return static_cast<int>(m_entries.size()); }
  // Null when index is negative or not below the count.
  const MonitorEntry* GetEntry(int index) const;

 private:
  std::vector<MonitorEntry> m_entries;
};

// The running system's adapters (Windows only).
IDisplayAdapters& GetSystemDisplayAdapters();
