// SPDX-License-Identifier: MIT
// monitor_covers.h - which screen areas get a plain black cover window while
// the saver runs, so that no monitor keeps showing the desktop. The rule
// reads only the monitors' rectangles; each front end lists its monitors and
// makes one cover window per rectangle returned.
//
//   std::vector<ScreenRect> covers = CoverRects({{{0, 0, 1920, 1080}, true},
//                                                {{1920, 0, 3200, 1024}, false}});
//   // {{1920, 0, 3200, 1024}}: the second monitor only
#pragma once

#include <algorithm>
#include <exception>
#include <utility>
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

// Brings a front end's cover windows in line with `wanted` (CoverRects of the
// monitors there are now), however it keeps them: a cover over an area no
// longer wanted goes, and `add(area)` is called for each wanted area that no
// cover is over yet. A cover that cannot be made ends the saver, on every
// front end, as one that cannot be made at start-up does: a monitor showing
// the desktop while the saver seems to run is worse than ending. So `add`
// throws, and the error leaves FollowCoverRects and the window's PumpEvents.
//
//   FollowCoverRects(covers, CoverRects(monitors), [](const Cover& c) { return c.area; },
//                    [&](const ScreenRect& area) { covers.push_back(MakeCover(area)); });
template <typename Cover, typename AreaOf, typename Add>
void FollowCoverRects(std::vector<Cover>& covers, const std::vector<ScreenRect>& wanted, AreaOf areaOf, Add add) {
  std::erase_if(covers, [&](const Cover& cover) {
    return std::find(wanted.begin(), wanted.end(), areaOf(cover)) == wanted.end();
  });
  for (const ScreenRect& area : wanted) {
    const auto over = [&](const Cover& cover) { return areaOf(cover) == area; };
    if (std::none_of(covers.begin(), covers.end(), over)) add(area);
  }
}

// For a front end that hears of the monitors where nothing may escape (a
// window procedure): the failure of a cover is kept, and raised by the
// window's next PumpEvents.
//
//   coverFailure.Keep([&] { FollowCoverRects(...); });   // in the window procedure
//   coverFailure.Raise();                                  // at the end of PumpEvents
class CoverFailure {
 public:
  template <typename Follow>
  void Keep(Follow follow) noexcept {
    try {
      follow();
    } catch (...) {
      if (!failure_) failure_ = std::current_exception();
    }
  }
  // Throws what was kept, once.
  void Raise() {
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
  }

 private:
  std::exception_ptr failure_;
};

}  // namespace pelmic::shell
