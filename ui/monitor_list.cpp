// Builds the monitor list from the adapters' answers.
#include "ui/monitor_list.h"

#include <cstring>

namespace {
void CopyDescription(const std::string& text, char (&out)[kMonitorDescriptionSize]) {
  const size_t length =
      text.size() < kMonitorDescriptionSize ? text.size() : kMonitorDescriptionSize - 1;
  std::memcpy(out, text.data(), length);
  out[length] = '\0';
}
}  // namespace

CMonitorList::CMonitorList(IDisplayAdapters& adapters) {
  AdapterInfo adapter;
  for (unsigned index = 0; adapters.EnumAdapter(index, &adapter); ++index) {
    // A mirroring driver shows a copy of another adapter's picture: nothing to cover.
    if (adapter.stateFlags & kAdapterMirroring) continue;
    MonitorEntry entry{};  // zero-filled: descriptions, handle, rectangle, flag
    CopyDescription(adapter.description, entry.adapterDescription);
    CopyDescription(adapters.FirstMonitorDescription(adapter.name), entry.monitorDescription);
    AdapterMode mode;
    // An adapter off the desktop, or one whose mode cannot be read, keeps the empty
    // rectangle rather than one made of unread values.
    if ((adapter.stateFlags & kAdapterAttachedToDesktop) &&
        adapters.GetCurrentMode(adapter.name, &mode)) {
      const bool primary = (adapter.stateFlags & kAdapterPrimary) != 0;
      // The primary adapter defines the origin of the virtual screen.
      const long left = primary ? 0 : mode.x;
      const long top = primary ? 0 : mode.y;
      entry.rect = {left, top, left + static_cast<long>(mode.width),
                    top + static_cast<long>(mode.height)};
      entry.primary = primary ? 1 : 0;
      entry.monitor = adapters.MonitorFromRect(entry.rect);
    }
    m_entries.push_back(entry);
  }
}

const MonitorEntry* CMonitorList::GetEntry(int index) const {
  if (index < 0 || index >= GetCount()) return nullptr;
  return &m_entries[static_cast<size_t>(index)];
}
