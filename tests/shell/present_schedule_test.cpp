#include "shell/present_schedule.h"

#include <gtest/gtest.h>

namespace pelmic::shell {
namespace {

TEST(PresentSchedule, DueOncePerIntervalCountedFromTheLastPresent) {
  PresentSchedule schedule(100);
  EXPECT_TRUE(schedule.Due(0));  // never presented: due at once, whatever the clock says
  EXPECT_TRUE(schedule.Due(-5000));
  schedule.Presented(1000);
  const struct {
    std::int64_t now;
    bool due;
  } cases[] = {{1000, false}, {1099, false}, {1100, true}, {900000, true}};
  for (const auto& c : cases) EXPECT_EQ(schedule.Due(c.now), c.due) << "at " << c.now;
  // A present forced early (a refresh) restarts the interval from there.
  schedule.Presented(1050);
  EXPECT_FALSE(schedule.Due(1100));
  EXPECT_TRUE(schedule.Due(1150));
}

}  // namespace
}  // namespace pelmic::shell
