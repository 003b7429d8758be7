#include "platform/win32/present_schedule.h"

#include <algorithm>

namespace pelmic::win32 {

DirtyRect Union(const DirtyRect& a, const DirtyRect& b) {
  if (a.Empty()) return b;
  if (b.Empty()) return a;
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
          std::max(a.bottom, b.bottom)};
}

DirtyRect PresentSchedule::TakeIfDue(std::int64_t nowTicks) {
  if (pending_.Empty() || nowTicks - lastPresent_ < minInterval_) return {};
  return TakeNow(nowTicks);
}

DirtyRect PresentSchedule::TakeNow(std::int64_t nowTicks) {
  lastPresent_ = nowTicks;
  DirtyRect area = pending_;
  pending_ = {};
  return area;
}

}  // namespace pelmic::win32
