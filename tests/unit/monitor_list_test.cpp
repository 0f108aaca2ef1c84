// The monitor list from scripted adapter tables: mirroring drivers skipped, detached
// adapters kept with an empty rectangle, the primary at the origin, others at their
// desktop position (negative ones too).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/monitor_list.h"

namespace {
struct ScriptedAdapter {
  std::string description;
  uint32_t flags;
  AdapterMode mode;
  bool modeReadable = true;
};

constexpr uint32_t kDesktop = kAdapterAttachedToDesktop;
constexpr uint32_t kPrimary = kAdapterAttachedToDesktop | kAdapterPrimary;

class CScriptedAdapters : public IDisplayAdapters {
 public:
  explicit CScriptedAdapters(std::vector<ScriptedAdapter> adapters)
      : m_adapters(std::move(adapters)) {}

  std::vector<std::string> modeQueries;  // adapter names whose mode was read

  bool EnumAdapter(unsigned index, AdapterInfo* adapter) override {
    if (index >= m_adapters.size()) return false;
    adapter->name = "\\\\.\\DISPLAY" + std::to_string(index + 1);
    adapter->description = m_adapters[index].description;
    adapter->stateFlags = m_adapters[index].flags;
    return true;
  }
  std::string FirstMonitorDescription(const std::string& adapterName) override {
    return "Monitor of " + adapterName;
  }
  bool GetCurrentMode(const std::string& adapterName, AdapterMode* mode) override {
    modeQueries.push_back(adapterName);
    const ScriptedAdapter& adapter = m_adapters[adapterName.back() - '1'];
    if (!adapter.modeReadable) return false;
    *mode = adapter.mode;
    return true;
  }
  // A monitor exists exactly where a rectangle has an area; its handle encodes left.
  void* MonitorFromRect(const MonitorRect& rect) override {
    if (rect.right <= rect.left || rect.bottom <= rect.top) return nullptr;
    return reinterpret_cast<void*>(static_cast<intptr_t>(rect.left + 100000));
  }

 private:
  std::vector<ScriptedAdapter> m_adapters;
};

struct Expected {
  std::string description;
  MonitorRect rect;
  int primary;
};
}  // namespace

TEST(MonitorList, BuildsOneEntryPerNonMirroringAdapterInEnumerationOrder) {
  const struct {
    const char* name;
    std::vector<ScriptedAdapter> adapters;
    std::vector<Expected> expected;
  } cases[] = {
      {"no adapter", {}, {}},
      {"one monitor; the primary's own position is ignored",
       {{"Card", kPrimary, {50, 60, 1024, 768}}},
       {{"Card", {0, 0, 1024, 768}, 1}}},
      {"second monitor to the right",
       {{"A", kPrimary, {0, 0, 1280, 1024}}, {"B", kDesktop, {1280, 0, 1024, 768}}},
       {{"A", {0, 0, 1280, 1024}, 1}, {"B", {1280, 0, 2304, 768}, 0}}},
      {"second monitor left of and above the primary",
       {{"A", kDesktop, {-1024, -200, 1024, 768}}, {"B", kPrimary, {0, 0, 800, 600}}},
       {{"A", {-1024, -200, 0, 568}, 0}, {"B", {0, 0, 800, 600}, 1}}},
      {"mirroring driver skipped",
       {{"Mirror", kDesktop | kAdapterMirroring, {0, 0, 1024, 768}},
        {"A", kPrimary, {0, 0, 1024, 768}}},
       {{"A", {0, 0, 1024, 768}, 1}}},
      {"adapter not on the desktop kept with an empty rectangle",
       {{"A", kPrimary, {0, 0, 1024, 768}}, {"Off", 0, {1024, 0, 800, 600}}},
       {{"A", {0, 0, 1024, 768}, 1}, {"Off", {0, 0, 0, 0}, 0}}},
      {"unreadable mode gives an empty rectangle",
       {{"A", kPrimary, {0, 0, 1024, 768}}, {"B", kDesktop, {1024, 0, 800, 600}, false}},
       {{"A", {0, 0, 1024, 768}, 1}, {"B", {0, 0, 0, 0}, 0}}},
  };
  for (const auto& c : cases) {
    CScriptedAdapters adapters(c.adapters);
    CMonitorList list(adapters);
    ASSERT_EQ(list.GetCount(), static_cast<int>(c.expected.size())) << c.name;
    for (size_t i = 0; i < c.expected.size(); ++i) {
      const MonitorEntry* entry = list.GetEntry(static_cast<int>(i));
      const Expected& want = c.expected[i];
      ASSERT_NE(entry, nullptr) << c.name;
      EXPECT_EQ(entry->adapterDescription, want.description) << c.name << " " << i;
      EXPECT_EQ(entry->rect.left, want.rect.left) << c.name << " " << i;
      EXPECT_EQ(entry->rect.top, want.rect.top) << c.name << " " << i;
      EXPECT_EQ(entry->rect.right, want.rect.right) << c.name << " " << i;
      EXPECT_EQ(entry->rect.bottom, want.rect.bottom) << c.name << " " << i;
      EXPECT_EQ(entry->primary, want.primary) << c.name << " " << i;
      const bool onDesktop = want.rect.right > want.rect.left;
      EXPECT_EQ(entry->monitor != nullptr, onDesktop) << c.name << " " << i;
    }
    for (const std::string& queried : adapters.modeQueries)
      EXPECT_NE(c.adapters[queried.back() - '1'].flags & kAdapterAttachedToDesktop, 0u)
          << c.name << ": the mode of a detached adapter was read";
  }
}

TEST(MonitorList, DescriptionsAreCutAt127CharactersAndIndicesOutsideGiveNull) {
  CScriptedAdapters adapters({{std::string(300, 'x'), kPrimary, {0, 0, 640, 480}}});
  CMonitorList list(adapters);
  ASSERT_EQ(list.GetCount(), 1);
  EXPECT_EQ(std::string(list.GetEntry(0)->adapterDescription), std::string(127, 'x'));
  EXPECT_EQ(std::string(list.GetEntry(0)->monitorDescription), "Monitor of \\\\.\\DISPLAY1");
  EXPECT_EQ(list.GetEntry(-1), nullptr);
  EXPECT_EQ(list.GetEntry(1), nullptr);
}
