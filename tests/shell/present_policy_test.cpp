// SPDX-License-Identifier: MIT
#include "shell/present_policy.h"

#include <gtest/gtest.h>

#include <string>

namespace pelmic::shell {
namespace {

// Logs each present as "changed@tick", "nothing@tick" or "all@tick"; counts looks at the clock.
struct LoggingScreen final : PresentTarget {
  std::int64_t Now() const override { return ++clockReads, now; }
  bool PresentChanged() override { return Log(changes ? "changed" : "nothing"), changes; }
  void PresentAll() override { Log("all"); }
  void Log(const char* what) { log.append(what).append("@").append(std::to_string(now)).append(" "); }
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
  const auto at = [&](std::int64_t now, bool changed, bool changes = true) {
    screen.now = now;
    screen.changes = changes;
    policy.AfterEvents(changed);
  };
  at(-5000, true);  // the first is due at once, whatever the clock says
  at(-4901, true);
  policy.Exposed();
  at(0, false);  // an exposure is owed even when nothing changed
  at(0, true);   // within the interval
  screen.now = 50;
  policy.PresentNow();  // a refresh restarts the interval from here
  at(149, true);
  at(150, true, false);  // due, but nothing to show: the interval does not restart
  at(151, true);
  EXPECT_EQ(screen.log, "changed@-5000 all@0 changed@50 nothing@150 changed@151 ");
}

}  // namespace
}  // namespace pelmic::shell
