#include "shell/present_policy.h"

#include <gtest/gtest.h>

#include <string>

namespace pelmic::shell {
namespace {

// A screen that logs each present as "changed@tick", "nothing@tick" or "all@tick".
struct LoggingScreen final : PresentTarget {
  std::int64_t Now() const override {
    ++clockReads;
    return now;
  }
  bool PresentChanged() override {
    log += (changes ? "changed@" : "nothing@") + std::to_string(now) + " ";
    return changes;
  }
  void PresentAll() override { log += "all@" + std::to_string(now) + " "; }
  std::int64_t now = 0;
  bool changes = true;
  mutable int clockReads = 0;
  std::string log;
};

TEST(PresentPolicy, PresentsWhatChangedOncePerIntervalAndEverythingAfterAnExposure) {
  LoggingScreen screen;
  PresentPolicy policy(screen, 100);
  policy.AfterEvents(false);  // idle: not even the clock
  EXPECT_EQ(screen.clockReads, 0);
  for (const std::int64_t now : {-5000, -4950, -4901}) {  // the first is due at once, whatever the clock says
    screen.now = now;
    policy.AfterEvents(true);
  }
  screen.now = 0;
  policy.Exposed();
  policy.AfterEvents(false);  // an exposure is owed even when nothing changed
  policy.AfterEvents(true);  // within the interval
  screen.now = 50;
  policy.PresentNow();  // a refresh restarts the interval from here
  screen.now = 149;
  policy.AfterEvents(true);
  screen.changes = false;
  screen.now = 150;
  policy.AfterEvents(true);  // due, but nothing to show: the interval does not restart
  screen.changes = true;
  screen.now = 151;
  policy.AfterEvents(true);
  EXPECT_EQ(screen.log, "changed@-5000 all@0 changed@50 nothing@150 changed@151 ");
}

}  // namespace
}  // namespace pelmic::shell
