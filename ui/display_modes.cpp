// Building the display-mode list from enumerated modes; no system calls here.
#include "ui/display_modes.h"

#include <algorithm>

bool IsDisplayModeBefore(const DisplayMode& a, const DisplayMode& b) {
  if (a.width != b.width) return a.width < b.width;
  if (a.height != b.height) return a.height < b.height;
  return a.bitsPerPixel > b.bitsPerPixel;
}

CDisplay::CDisplay(ModeEnumerator enumerate, void* context)
    : m_enumerate(enumerate), m_context(context) {}

void CDisplay::BuildModeList() {
  ModeEnumerator enumerate = m_enumerate != nullptr ? m_enumerate : &EnumeratePlatformModes;
  int count = 0;
  DisplayMode mode{};
  for (uint32_t index = 0; enumerate(m_context, index, &mode); ++index) {
    if (mode.bitsPerPixel != 16 && mode.bitsPerPixel != 32) continue;
    if (mode.width < 640 || mode.height < 480) continue;
    const bool known = std::any_of(m_modes, m_modes + count, [&](const DisplayMode& entry) {
      return entry.width == mode.width && entry.height == mode.height &&
             entry.bitsPerPixel == mode.bitsPerPixel;
    });
    if (!known) m_modes[count++] = mode;
    // The first distinct modes in the system's order win; the rest are never read.
    if (count >= kMaxDisplayModes) break;
  }
  std::sort(m_modes, m_modes + count, &IsDisplayModeBefore);
  m_count = count;
  m_built = true;
}

void CDisplay::EnsureBuilt() {
  if (!m_built) BuildModeList();
}

int CDisplay::GetModesCount() {
  EnsureBuilt();
  return m_count;
}

const DisplayMode* CDisplay::GetModeDescription(unsigned index) {
  EnsureBuilt();
  return index < static_cast<unsigned>(m_count) ? &m_modes[index] : nullptr;
}
