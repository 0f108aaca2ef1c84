// The settings record against Wine's real registry.
#include "app/settings_store.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "base/settings.h"
#include "tests/win/support/saver_harness.h"

namespace {
const std::string kKey = "Software\\QuillSaver Tests\\Settings Store";

class SettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteRegistryTree(kKey);
    SetDefaults();
    g_settings.Path = "unchanged";
  }
  void TearDown() override { DeleteRegistryTree(kKey); }
};

// Returns whether the value was written, so that callers can stop the test.
bool WriteDword(const char* name, DWORD value) { return WriteRegistryDword(kKey, name, value); }
}  // namespace

TEST_F(SettingsStoreTest, AFreshProfileCreatesTheKeyAndKeepsTheDefaults) {
  LoadSettingsFromRegistry(kKey.c_str());
  EXPECT_TRUE(RegistryKeyExists(kKey));
  EXPECT_EQ(g_settings.Width, 800);
  EXPECT_EQ(g_settings.Height, 600);
  EXPECT_EQ(g_settings.Depth, 16);
  EXPECT_EQ(g_settings.Desktop, 1);
  EXPECT_EQ(g_settings.FPS, 0);
  EXPECT_EQ(g_settings.ShowTime, 1);
  EXPECT_EQ(g_settings.Clock24h, 0);
  EXPECT_EQ(g_settings.VSync, 1);
  EXPECT_EQ(g_settings.LowCPULoad, 1);
  EXPECT_EQ(g_settings.KeepTime, 3);
  EXPECT_EQ(g_settings.TransitionTime, 3);
  EXPECT_EQ(g_settings.Brightness, 100);
  EXPECT_EQ(g_settings.Path, ".\\");
}

TEST_F(SettingsStoreTest, SaveWritesTheFourteenIntegersAsDwordsAndNeverThePath) {
  g_settings.KeepTime = 7;
  g_settings.Clock24h = 1;
  SaveSettingsToRegistry(kKey.c_str());
  for (const SettingField& entry : kSettingFields) {
    DWORD value = 0, type = 0;
    ASSERT_TRUE(ReadRegistryDword(kKey, entry.valueName, &value, &type)) << entry.valueName;
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD)) << entry.valueName;
    EXPECT_EQ(static_cast<int32_t>(value), g_settings.*entry.field) << entry.valueName;
  }
  DWORD value = 0, type = 0;
  EXPECT_FALSE(ReadRegistryDword(kKey, "Path", &value, &type));
  DWORD clock = 0;
  ASSERT_TRUE(ReadRegistryDword(kKey, "24h", &clock, &type));
  EXPECT_EQ(clock, 1u);
}

TEST_F(SettingsStoreTest, StoredValuesAreTakenByteForByteWhateverTheirType) {
  ASSERT_TRUE(WriteDword("KeepTime", 60));
  ASSERT_TRUE(WriteDword("TransitionTime", 0));
  ASSERT_TRUE(WriteRegistryValue(kKey, "Width", REG_SZ, "1", 2));  // "1\0" reads as 49
  const unsigned char one[1] = {7};
  ASSERT_TRUE(WriteRegistryValue(kKey, "Height", REG_BINARY, one, 1));
  const unsigned char eight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  ASSERT_TRUE(WriteRegistryValue(kKey, "Depth", REG_BINARY, eight, 8));     // too long
  ASSERT_TRUE(WriteRegistryValue(kKey, "Brightness", REG_SZ, "12345", 6));  // too long
  LoadSettingsFromRegistry(kKey.c_str());
  EXPECT_EQ(g_settings.KeepTime, 60);
  EXPECT_EQ(g_settings.TransitionTime, 0);
  EXPECT_EQ(g_settings.Width, 49);
  EXPECT_EQ(g_settings.Height, 7);
  EXPECT_EQ(g_settings.Depth, 16);
  EXPECT_EQ(g_settings.Brightness, 100);
}

TEST_F(SettingsStoreTest, APathWithoutTerminatingZeroIsNotReadPastItsEnd) {
  std::string full(1024, 'p');
  ASSERT_TRUE(WriteRegistryValue(kKey, "Path", REG_BINARY, full.data(), 1024));
  LoadSettingsFromRegistry(kKey.c_str());
  EXPECT_EQ(g_settings.Path, full);

  std::string tooLong(1500, 'q');
  ASSERT_TRUE(WriteRegistryValue(kKey, "Path", REG_SZ, tooLong.c_str(), 1501));
  LoadSettingsFromRegistry(kKey.c_str());
  EXPECT_EQ(g_settings.Path, ".\\");

  ASSERT_TRUE(WriteRegistryValue(kKey, "Path", REG_SZ, "C:\\Help\\", 9));
  LoadSettingsFromRegistry(kKey.c_str());
  EXPECT_EQ(g_settings.Path, "C:\\Help\\");
}

TEST_F(SettingsStoreTest, AKeyThatCannotBeOpenedKeepsDefaultsAndEmptiesThePath) {
  // A key name longer than the registry allows cannot be created.
  const std::string tooLong = "Software\\" + std::string(300, 'k');
  g_settings.KeepTime = 5;
  LoadSettingsFromRegistry(tooLong.c_str());
  EXPECT_EQ(g_settings.KeepTime, 5);
  EXPECT_EQ(g_settings.Path, "");
  SaveSettingsToRegistry(tooLong.c_str());
  EXPECT_FALSE(RegistryKeyExists(tooLong));
}
