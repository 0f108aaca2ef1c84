// The display-mode list built from scripted enumerations, and the dialog's rules that
// depend on it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/dialog_rules.h"
#include "ui/display_modes.h"

namespace {
// Hands out the modes of a table, one per enumeration index.
bool EnumerateTable(void* context, uint32_t index, DisplayMode* mode) {
  const auto* table = static_cast<const std::vector<DisplayMode>*>(context);
  if (index >= table->size()) return false;
  *mode = (*table)[index];
  return true;
}

std::string ListText(CDisplay& display) {
  std::string text;
  for (int i = 0; i < display.GetModesCount(); ++i)
    text += (i ? ", " : "") + DisplayModeText(*display.GetModeDescription(i));
  return text;
}
}  // namespace

TEST(DisplayModes, ListsFromScriptedEnumerations) {
  const struct {
    const char* what;
    std::vector<DisplayMode> enumerated;
    const char* expected;
  } cases[] = {
      {"nothing enumerated", {}, ""},
      {"refresh-rate duplicates collapse",
       {{1024, 768, 32}, {1024, 768, 32}, {1024, 768, 32}, {1024, 768, 32}},
       "1024x768 32 bits"},
      {"8, 15 and 24 bits and small modes dropped",
       {{800, 600, 8},
        {800, 600, 15},
        {800, 600, 24},
        {640, 400, 32},
        {320, 240, 16},
        {639, 480, 32},
        {640, 479, 16},
        {640, 480, 16}},
       "640x480 16 bits"},
      {"deeper first, then by width and height",
       {{800, 600, 16},
        {640, 480, 16},
        {1280, 1024, 32},
        {800, 600, 32},
        {1280, 960, 32},
        {640, 480, 32}},
       "640x480 32 bits, 640x480 16 bits, 800x600 32 bits, 800x600 16 bits, 1280x960 32 bits, "
       "1280x1024 32 bits"},
  };
  for (const auto& c : cases) {
    CDisplay display(&EnumerateTable, const_cast<std::vector<DisplayMode>*>(&c.enumerated));
    EXPECT_EQ(ListText(display), c.expected) << c.what;
    EXPECT_EQ(display.GetModeDescription(display.GetModesCount()), nullptr) << c.what;
    EXPECT_EQ(display.GetModeDescription(static_cast<unsigned>(-1)), nullptr) << c.what;
  }
}

TEST(DisplayModes, KeepsTheFirstHundredDistinctModesThenSorts) {
  // 150 distinct modes enumerated from the widest down, each twice (two refresh rates).
  std::vector<DisplayMode> enumerated;
  for (uint32_t i = 0; i < 150; ++i) {
    enumerated.push_back({2000 - i, 1000, 32});
    enumerated.push_back({2000 - i, 1000, 32});
  }
  enumerated.push_back({640, 480, 32});  // after the limit: never seen
  CDisplay display(&EnumerateTable, &enumerated);
  ASSERT_EQ(display.GetModesCount(), kMaxDisplayModes);
  EXPECT_EQ(display.GetModeDescription(0)->width, 1901u);
  EXPECT_EQ(display.GetModeDescription(99)->width, 2000u);
  EXPECT_EQ(FindDisplayMode(display, 640, 480, 32), -1);
  EXPECT_EQ(FindDisplayMode(display, 1950, 1000, 32), 49);
}

TEST(DialogRules, BrightnessSnapAndPlacement) {
  const struct {
    int in, out;
  } snaps[] = {{10, 10}, {90, 90}, {91, 100}, {95, 100}, {109, 100}, {110, 110}, {250, 250}};
  for (const auto& s : snaps) EXPECT_EQ(SnapBrightness(s.in), s.out) << s.in;

  const struct {
    int areaLow, areaHigh, centreLow, centreHigh, size, expected;
  } places[] = {
      {0, 1024, 0, 1024, 400, 312},    // centred in the work area
      {0, 1024, 100, 301, 50, 175},    // on the owner, halves rounded down
      {0, 1024, -300, 100, 400, 0},    // pushed in from the left
      {0, 1024, 900, 1200, 400, 624},  // pushed in from the right
      {40, 1024, 0, 100, 2000, 40},    // too big: the low edge wins
  };
  for (const auto& p : places)
    EXPECT_EQ(PlaceOnAxis(p.areaLow, p.areaHigh, p.centreLow, p.centreHigh, p.size), p.expected)
        << p.centreLow << ".." << p.centreHigh;

  EXPECT_EQ(ProductLines("Quill Demo", "2026", "QuillSaver Demo"),
            "Quill Demo\r\nCopyright (c) 2026 QuillSaver Demo");
}
