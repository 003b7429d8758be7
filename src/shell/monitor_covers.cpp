// SPDX-License-Identifier: MIT
#include "shell/monitor_covers.h"

#include <algorithm>

namespace pelmic::shell {

namespace {

bool Empty(const ScreenRect& r) { return r.right <= r.left || r.bottom <= r.top; }

bool Inside(const ScreenRect& inner, const ScreenRect& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

}  // namespace

std::vector<ScreenRect> CoverRects(const std::vector<MonitorRect>& monitors) {
  std::vector<ScreenRect> primaries;
  for (const MonitorRect& monitor : monitors) {
    if (monitor.primary) primaries.push_back(monitor.area);
  }
  std::vector<ScreenRect> covers;
  for (const MonitorRect& monitor : monitors) {
    const ScreenRect& area = monitor.area;
    if (monitor.primary || Empty(area)) continue;
    const bool showsThePrimary = std::any_of(primaries.begin(), primaries.end(),
                                             [&](const ScreenRect& primary) { return Inside(area, primary); });
    if (showsThePrimary || std::find(covers.begin(), covers.end(), area) != covers.end()) continue;
    covers.push_back(area);
  }
  return covers;
}

}  // namespace pelmic::shell
