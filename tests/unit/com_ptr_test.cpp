// The COM reference holder against a counting stand-in object.
#include "render/com_ptr.h"

#include <gtest/gtest.h>

#include <utility>

namespace {
class CCounted {
 public:
  unsigned long AddRef() { return ++count; }
  unsigned long Release() {
    --count;
    if (count == 0) ++destroyed;
    return count;
  }
  unsigned long count = 1;  // a creating call hands out one reference
  int destroyed = 0;
};

// A creating call that fills an out-parameter.
void CreateInto(CCounted** slot, CCounted* object) { *slot = object; }
}  // namespace

TEST(CCom, CopiesMovesAndResetsKeepTheCountBalanced) {
  CCounted object;
  {
    CCom<CCounted> first(&object);
    EXPECT_EQ(object.count, 1u);
    CCom<CCounted> copy = first;
    EXPECT_EQ(object.count, 2u);
    CCom<CCounted> moved = std::move(copy);
    EXPECT_EQ(object.count, 2u);
    EXPECT_FALSE(copy);  // NOLINT: a moved-from holder is empty
    moved = first;       // same object: still one reference per holder
    EXPECT_EQ(object.count, 2u);
    CCom<CCounted>& alias = moved;
    moved = alias;  // self-assignment keeps the reference
    EXPECT_EQ(object.count, 2u);
    EXPECT_EQ(moved.Reset(), 1u);
    EXPECT_EQ(moved.Reset(), 0u);  // nothing held any more
  }
  EXPECT_EQ(object.count, 0u);
  EXPECT_EQ(object.destroyed, 1);
}

TEST(CCom, TheOutParameterSlotReleasesWhatWasHeld) {
  CCounted old;
  CCounted fresh;
  CCom<CCounted> holder(&old);
  CreateInto(&holder, &fresh);
  EXPECT_EQ(old.count, 0u);
  EXPECT_EQ(holder.Get(), &fresh);
  EXPECT_EQ(holder.Reset(), 0u);
  EXPECT_EQ(fresh.destroyed, 1);
}
