// monitor_covers.h - which screen areas get a plain black cover window while
// the saver runs, so that no monitor keeps showing the desktop. The rule
// reads only the monitors' rectangles; each front end lists its monitors and
// makes one cover window per rectangle returned.
//
//   std::vector<ScreenRect> covers = CoverRects({{{0, 0, 1920, 1080}, true},
//                                                {{1920, 0, 3200, 1024}, false}});
//   // {{1920, 0, 3200, 1024}}: the second monitor only
#pragma once

#include <vector>

namespace pelmic::shell {

// A monitor's rectangle in virtual-screen pixels (right and bottom exclusive).
struct ScreenRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

struct MonitorRect {
  ScreenRect area;
  bool primary = false;
};

// The rectangles to cover: every monitor but the primary one, which shows the
// diagram. A monitor that shows only part of the primary's picture (a cloned
// display), or has no area, needs no cover; one monitor area reported twice is
// covered once.
std::vector<ScreenRect> CoverRects(const std::vector<MonitorRect>& monitors);

}  // namespace pelmic::shell
