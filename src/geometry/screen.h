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

  // A screen of whole pixels, as every window and picture has.
  static constexpr ScreenSize OfPixels(int width, int height) {
    return {static_cast<float>(width), static_cast<double>(height)};
  }
};

}  // namespace pelmic
