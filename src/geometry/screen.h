// screen.h - the screen rectangle all geometry is clipped to.
#pragma once

namespace pelmic {

// The screen's right and bottom edges in pixels, measured once by the saver's
// prologue; the widths of the original forms runtime were single precision,
// the height double, and both are kept that way.
struct ScreenSize {
  float widthPx;
  double heightPx;
};

}  // namespace pelmic
