// SPDX-License-Identifier: MIT
// screen.h - the screen rectangle all geometry is clipped to.
#pragma once

namespace pelmic {

// The screen's right and bottom edges in pixels, measured once by the saver's
// prologue. The width is kept in single precision and the height in double:
// every clip against the right and bottom edges compares with exactly these
// values, so all front ends and the renderer clip alike.
struct ScreenSize {
  float widthPx;
  double heightPx;
};

}  // namespace pelmic
