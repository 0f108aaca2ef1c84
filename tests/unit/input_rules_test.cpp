// The rules by which input ends a run.
#include "ui/input_rules.h"

#include <gtest/gtest.h>

TEST(InputRules, GraceTimeIsStrictAndMovementCountsOnEitherAxisFromTheStart) {
  EXPECT_FALSE(IsPastGraceTime(0.0));
  EXPECT_FALSE(IsPastGraceTime(1.0));
  EXPECT_TRUE(IsPastGraceTime(1.0000001));
  const CursorPoint start{500, 400};
  const struct {
    long x, y;
    bool far;
  } moves[] = {
      {530, 430, false}, {470, 370, false}, {531, 400, true},
      {500, 369, true},  {469, 431, true},  {500, 400, false},
  };
  for (const auto& m : moves)
    EXPECT_EQ(HasCursorMovedFar(start, CursorPoint{m.x, m.y}), m.far) << m.x << "," << m.y;
}

TEST(InputRules, WheelTurnsAddUpInEitherDirectionToOneNotch) {
  const struct {
    long before;
    int delta;
    long after;
    bool notch;
  } turns[] = {
      {0, 119, 119, false}, {0, -120, 120, true}, {60, -60, 120, true},
      {0, 0, 0, false},     {120, 1, 120, true},  {0, -2147483647 - 1, 120, true},
  };
  for (const auto& t : turns) {
    long turned = t.before;
    EXPECT_EQ(AddWheelTurn(turned, t.delta), t.notch) << t.before << " + " << t.delta;
    EXPECT_EQ(turned, t.after) << t.before << " + " << t.delta;
  }
}
