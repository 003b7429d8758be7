// SPDX-License-Identifier: MIT
#include "shell/present_rule.h"

#include <gtest/gtest.h>

#include <string>

#include "shell/turn_slice.h"

namespace pelmic::shell {
namespace {

// A window that logs each present as "area@ms"; `signal` gives it a frame signal.
struct LoggingWindow final : SaverWindow {
  void Show() override {}
  void Hide() override {}
  RasterCanvas& Surface() override { return canvas; }
  void PumpEvents(SaverInput&) override {}
  void Present(const DirtyRect& a) override {
    log += std::to_string(a.right - a.left) + "x" + std::to_string(a.bottom - a.top) + "@" + std::to_string(nowMs) + " ";
  }
  bool HasFrameSignal() const override { return signal; }
  bool FrameReady() override { return ready; }

  RasterCanvas canvas{8, 8};
  bool signal = false;
  bool ready = false;
  std::string log;
  static inline int nowMs = 0;
  static inline int clockReads = 0;
};

PresentRule::Clock::time_point FakeNow() {
  ++LoggingWindow::clockReads;
  return PresentRule::Clock::time_point(std::chrono::milliseconds(LoggingWindow::nowMs));
}

TEST(PresentRule, WhatChangedOncePerFrameTimeOrAtTheFrameSignalAndIdleTurnsCostNothing) {
  LoggingWindow window;
  PresentRule rule(&FakeNow);
  const auto turn = [&](int ms, bool draw) {
    LoggingWindow::nowMs = ms;
    if (draw) window.canvas.PSet(1, 1);
    rule.AfterEvents(window);
  };
  LoggingWindow::nowMs = -5000;
  window.canvas.TakeDirtyRect();
  rule.PresentNow(window);  // a refresh with nothing to show: the first present is still due at once
  turn(-4999, true);
  LoggingWindow::clockReads = 0;
  turn(-4998, false);  // idle: not even the clock
  EXPECT_EQ(LoggingWindow::clockReads, 0);
  turn(-4990, true);   // within the frame time: kept
  turn(-4983, false);  // a frame's time later, owed though nothing new was drawn
  window.canvas.MarkChanged({0, 0, 8, 8});  // the screen lost its pixels
  turn(-4970, false);
  turn(-4960, false);
  window.signal = true;  // a window that tells when it takes a frame: no clock
  LoggingWindow::clockReads = 0;
  turn(0, true);
  window.ready = true;
  turn(1, false);
  rule.PresentNow(window);  // nothing changed: an empty present
  EXPECT_EQ(LoggingWindow::clockReads, 0);
  EXPECT_EQ(window.log, "0x0@-5000 1x1@-4999 1x1@-4983 8x8@-4960 1x1@1 0x0@1 ");
}

Steps Count(int& yields) {
  for (;;) co_yield ++yields;
}

TEST(PresentRule, ATurnThatLetsYieldsPassEndsOnceHalfAFrameHasPassedLookingEvery1024Yields) {
  int yields = 0;
  Steps steps = Count(yields);
  LoggingWindow::nowMs = 0;
  const auto slow = [&] {
    LoggingWindow::nowMs = yields < 1500 ? 7 : 8;  // half a frame gone from yield 1500 on
    return yields == 4096;
  };
  ResumeForASlice(steps, slow, &FakeNow);
  EXPECT_EQ(yields, 2048);  // the look at yield 1024 found the slice going on
  ResumeForASlice(steps, [&] { return yields == 2050; }, &FakeNow);  // done first
  EXPECT_EQ(yields, 2050);
}

}  // namespace
}  // namespace pelmic::shell
