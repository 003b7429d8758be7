// SPDX-License-Identifier: MIT
// swap_damage.h - what to copy when two buffers take turns on the screen.
//
// The compositor reads one buffer while we write the other, so a buffer
// comes back behind by everything shown since it was last written. This
// keeps, per buffer, the area where it may differ from the screen, and the
// area drawn but not yet shown; a present copies both into the buffer it
// writes, which is also the damage to report.
//
//   SwapDamage damage;
//   damage.Drawn(canvas.TakeDirtyRect());
//   const DirtyRect copy = damage.Take(free);  // copy, attach buffer `free`, damage `copy`, commit
//
// Where the canvas draws straight into a buffer, that buffer is the canvas:
// Bring(next) says what to copy into the buffer it moves to next, and a
// present of the buffer it draws into copies nothing.
#pragma once

#include <array>

#include "canvas/raster_canvas.h"

namespace pelmic::linux_desktop {

class SwapDamage {
 public:
  // Both buffers start as what the screen shows (black, like the canvas).
  void Drawn(const DirtyRect& changed);
  // True while something drawn is not on the screen.
  bool Owed() const { return !owed_.Empty(); }
  // Buffer `index` (0 or 1) is about to be written and shown: the area to
  // copy into it from the canvas. From then on it is what the screen shows.
  DirtyRect Take(int index);
  // Buffer `index` is about to hold the canvas's picture: the area to copy
  // into it from the canvas. What is drawn but not shown stays owed.
  DirtyRect Bring(int index);

 private:
  DirtyRect owed_;
  std::array<DirtyRect, 2> stale_;
};

}  // namespace pelmic::linux_desktop
