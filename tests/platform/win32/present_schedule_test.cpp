#include "platform/win32/present_schedule.h"

#include <gtest/gtest.h>

namespace pelmic::win32 {
namespace {

bool Same(const DirtyRect& a, const DirtyRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(Union, CoversBothRectanglesAndIgnoresEmptyOnes) {
  EXPECT_TRUE(Same(Union({0, 0, 10, 10}, {5, 20, 30, 25}), {0, 0, 30, 25}));
  EXPECT_TRUE(Same(Union({}, {5, 20, 30, 25}), {5, 20, 30, 25}));
  EXPECT_TRUE(Same(Union({5, 20, 30, 25}, {7, 7, 7, 9}), {5, 20, 30, 25}));  // zero width
}

TEST(PresentSchedule, PresentsChangesAtMostOncePerInterval) {
  PresentSchedule schedule(100);
  EXPECT_TRUE(schedule.TakeIfDue(0).Empty());  // nothing changed
  schedule.Add({10, 10, 20, 20});
  EXPECT_TRUE(Same(schedule.TakeIfDue(1000), {10, 10, 20, 20}));  // first change: at once
  schedule.Add({0, 0, 1, 1});
  EXPECT_TRUE(schedule.TakeIfDue(1050).Empty());  // too soon: kept
  schedule.Add({50, 50, 60, 61});
  EXPECT_TRUE(Same(schedule.TakeIfDue(1100), {0, 0, 60, 61}));  // both, merged
  EXPECT_FALSE(schedule.HasPending());
}

TEST(PresentSchedule, TakeNowIgnoresTheIntervalAndRestartsIt) {
  PresentSchedule schedule(100);
  schedule.Add({1, 2, 3, 4});
  EXPECT_TRUE(Same(schedule.TakeNow(5), {1, 2, 3, 4}));
  schedule.Add({1, 2, 3, 4});
  EXPECT_TRUE(schedule.TakeIfDue(50).Empty());
  EXPECT_FALSE(schedule.TakeIfDue(105).Empty());
}

}  // namespace
}  // namespace pelmic::win32
