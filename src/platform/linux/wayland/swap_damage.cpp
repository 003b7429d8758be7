// SPDX-License-Identifier: MIT
#include "platform/linux/wayland/swap_damage.h"

#include "canvas/raster_target.h"

namespace pelmic::linux_desktop {

void SwapDamage::Drawn(const DirtyRect& changed) { owed_ = UnionOf(owed_, changed); }

DirtyRect SwapDamage::Take(int index) {
  const DirtyRect copy = UnionOf(stale_[index], owed_);
  // The other buffer showed the screen as it was: it now lacks what is new.
  stale_[1 - index] = UnionOf(stale_[1 - index], owed_);
  stale_[index] = {};
  owed_ = {};
  return copy;
}

DirtyRect SwapDamage::Bring(int index) {
  const DirtyRect copy = UnionOf(stale_[index], owed_);
  // It lacks nothing shown; what it lacks of the canvas is owed_, which Take adds.
  stale_[index] = {};
  return copy;
}

}  // namespace pelmic::linux_desktop
