// SPDX-License-Identifier: MIT
// turn_slice.h - how long one turn may let the cycle's yields pass, for a
// loop that returns to its own event loop between turns but need not make
// every yield a turn of its own (the web page's reproducible picture, which
// only has to show its last picture, lets them pass as the renderer does).
//
// A rule of the loop rather than of a platform: its turn still ends within
// half a frame's time, so that the screen gets its frames and input is not
// kept waiting, while a turn's own cost (a task of the browser) is spread
// over many yields. The clock is looked at once every 1024 yields: a look
// costs more than a yield of the pause.
//
//   TurnSlice slice;
//   slice.Start();
//   do cycle.Resume(); while (!done && !slice.Over());
#pragma once

#include "shell/present_rule.h"

namespace pelmic::shell {

class TurnSlice {
 public:
  using Clock = PresentRule::Clock;
  static constexpr Clock::duration kLength = PresentRule::kFrameTime / 2;
  static constexpr int kYieldsPerClockLook = 1024;

  explicit TurnSlice(Clock::time_point (*now)() = &Clock::now) : now_(now) {}

  void Start() {
    start_ = now_();
    yields_ = 0;
  }
  // Counts a yield; true once the slice is over.
  bool Over() { return ++yields_ % kYieldsPerClockLook == 0 && now_() - start_ >= kLength; }

 private:
  Clock::time_point (*now_)();
  Clock::time_point start_{};
  int yields_ = 0;
};

}  // namespace pelmic::shell
