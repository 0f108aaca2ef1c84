// The settings record and its defaults.
#include "base/settings.h"

#include <gtest/gtest.h>

TEST(Settings, DefaultsLeaveThePathAlone) {
  g_settings.Path = "C:\\Help\\";
  g_settings.KeepTime = 9;
  SetDefaults();
  EXPECT_EQ(g_settings.KeepTime, 3);
  EXPECT_EQ(g_settings.Path, "C:\\Help\\");
  EXPECT_STREQ(kSettingFields[6].valueName, "24h");
  EXPECT_EQ(kSettingFields[6].field, &Settings::Clock24h);
}
