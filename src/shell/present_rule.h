// SPDX-License-Identifier: MIT
// present_rule.h - when new drawing reaches the screen: one rule for every
// front end.
//
// After each turn's events, unless the saver is ending, whatever the canvas
// changed since the last present is shown as soon as the screen can take a
// frame: at the window's frame signal where it has one (a buffer that the
// Wayland compositor let go, the browser's next animation frame), else once
// a frame's time has passed since the last present (X11, Win32). So the
// cells still appear one after another as they are found; a present never
// waits for the screen (the cycle goes on drawing, and the next present shows
// all of it); and idle turns, over a million in every pause, cost neither a
// copy nor a look at the clock.
//
//   PresentRule rule;
//   rule.PresentNow(window);   // a refresh: what changed, without waiting for the interval
//   rule.AfterEvents(window);  // in every turn
#pragma once

#include <chrono>

#include "shell/platform.h"

namespace pelmic::shell {

class PresentRule {
 public:
  using Clock = std::chrono::steady_clock;
  // About 60 presents a second where the screen gives no signal: enough to
  // watch the cells appear, cheap enough not to slow the drawing down.
  static constexpr Clock::duration kFrameTime = std::chrono::milliseconds(16);

  explicit PresentRule(Clock::time_point (*now)() = &Clock::now) : now_(now) {}

  void AfterEvents(SaverWindow& window) {
    if (window.Surface().HasChanges() && FrameDue(window)) Present(window);
  }

  // Presents what changed now, as far as the screen can take a frame; the
  // next interval starts here if anything was shown.
  void PresentNow(SaverWindow& window) {
    if (!window.HasFrameSignal() || window.FrameReady()) Present(window);
  }

 private:
  bool FrameDue(SaverWindow& window) const {
    if (window.HasFrameSignal()) return window.FrameReady();
    return !presented_ || now_() - lastPresent_ >= kFrameTime;
  }
  void Present(SaverWindow& window) {
    const DirtyRect changed = window.Surface().TakeDirtyRect();
    window.Present(changed);
    // Nothing shown, nothing to space the next present from.
    if (changed.Empty() || window.HasFrameSignal()) return;
    lastPresent_ = now_();
    presented_ = true;
  }

  Clock::time_point (*now_)();
  Clock::time_point lastPresent_{};
  bool presented_ = false;  // none yet: the first is due at once
};

}  // namespace pelmic::shell
