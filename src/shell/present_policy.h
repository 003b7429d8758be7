// SPDX-License-Identifier: MIT
// present_policy.h - when a saver window copies new drawing to the screen,
// and how much of it.
//
// The cycle yields to the event loop once per site pair and over a million
// times in each pause. Presenting on every yield would cost a copy each time;
// presenting only at the end would show a finished diagram at once. So a
// window presents what changed when something did and a frame's time passed
// since its last present: the cells still appear one after another, and idle
// yields cost nothing, not even a look at the clock. After an exposure (the
// system lost the window's pixels) it presents all of them. Each window
// supplies only how to put pixels on its screen, and its clock.
//
//   PresentPolicy policy(screen, PresentPolicy::kFrameMs * ticksPerMs);
//   policy.AfterEvents(canvas.HasChanges());  // at the end of every DoEvents
#pragma once

#include <cstdint>

namespace pelmic::shell {

// A window's screen, as the policy uses it.
class PresentTarget {
 public:
  // The clock, in the window's ticks.
  virtual std::int64_t Now() const = 0;
  // Shows what changed since the last present; false when nothing had.
  virtual bool PresentChanged() = 0;
  // Shows everything, and forgets what changed.
  virtual void PresentAll() = 0;

 protected:
  ~PresentTarget() = default;
};

class PresentPolicy {
 public:
  // At most about 60 presents a second: enough to watch the cells appear,
  // cheap enough not to slow the drawing down.
  static constexpr std::int64_t kFrameMs = 16;

  PresentPolicy(PresentTarget& target, std::int64_t minIntervalTicks)
      : target_(target), minInterval_(minIntervalTicks) {}

  // The window's pixels were lost: the next present shows all of them.
  void Exposed() { exposed_ = true; }
  // Presents when something is owed and the interval since the last present
  // has passed; the first present is due at once.
  void AfterEvents(bool changed) {
    if (!changed && !exposed_) return;
    const std::int64_t now = target_.Now();
    if (now - lastPresent_ >= minInterval_) Present(now);
  }
  // Presents now, whatever the interval (a refresh); the next is due an
  // interval later.
  void PresentNow() { Present(target_.Now()); }

 private:
  void Present(std::int64_t now) {
    if (exposed_) {
      target_.PresentAll();
    } else if (!target_.PresentChanged()) {
      return;
    }
    lastPresent_ = now;
    exposed_ = false;
  }

  PresentTarget& target_;
  std::int64_t minInterval_;
  std::int64_t lastPresent_ = INT64_MIN / 2;
  bool exposed_ = false;
};

}  // namespace pelmic::shell
