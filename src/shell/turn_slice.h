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
//   ResumeForASlice(cycle, [&] { return picturesDrawn == picturesWanted; });
#pragma once

#include "cycle/steps.h"
#include "shell/present_rule.h"

namespace pelmic::shell {

inline constexpr PresentRule::Clock::duration kTurnSlice = PresentRule::kFrameTime / 2;
inline constexpr int kYieldsPerClockLook = 1024;

// Resumes `steps` until `done()` after a yield, or until the slice has passed.
template <typename Done>
void ResumeForASlice(Steps& steps, Done done, PresentRule::Clock::time_point (*now)() = &PresentRule::Clock::now) {
  const PresentRule::Clock::time_point start = now();
  for (int yields = 1; steps.Resume() && !done(); ++yields) {
    if (yields % kYieldsPerClockLook == 0 && now() - start >= kTurnSlice) return;
  }
}

}  // namespace pelmic::shell
