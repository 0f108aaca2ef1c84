// The instance mutex under a real Windows kernel object namespace.
#include <gtest/gtest.h>

#include <memory>

#include "app/saver_app.h"

TEST(CheckInstance, RefusesASecondInstanceWhileTheFirstHoldsTheMutex) {
  auto first = std::make_unique<CSaverApp>();
  ASSERT_TRUE(first->CheckInstance());
  {
    CSaverApp second;
    EXPECT_FALSE(second.CheckInstance());
  }
  // The second object closed its handle; the first still holds the mutex.
  {
    CSaverApp third;
    EXPECT_FALSE(third.CheckInstance());
  }
  first.reset();
  CSaverApp fourth;
  EXPECT_TRUE(fourth.CheckInstance());
}

TEST(CheckInstance, TheMutexIsVisibleToOtherCodeByItsName) {
  CSaverApp app;
  ASSERT_TRUE(app.CheckInstance());
  HANDLE other = OpenMutexA(SYNCHRONIZE, FALSE, kInstanceMutexName);
  ASSERT_NE(other, nullptr);
  CloseHandle(other);
}
