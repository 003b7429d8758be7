// present_schedule.h - when the saver window copies new drawing to the screen.
//
// The cycle yields to the event loop once per site pair and over a million
// times in each pause. Presenting on every yield would cost a blit each time;
// presenting only at the end would show a finished diagram at once. So the
// changed area is collected, and presented when something changed and at
// least a short interval passed since the last present: the cells still
// appear one after another, and idle yields cost nothing.
//
//   PresentSchedule schedule(ticksPerFrame);
//   schedule.Add(canvas.TakeDirtyRect());
//   DirtyRect area = schedule.TakeIfDue(Now());  // empty: nothing to do now
#pragma once

#include <cstdint>

#include "canvas/raster_canvas.h"

namespace pelmic::win32 {

// The smallest rectangle holding both.
DirtyRect Union(const DirtyRect& a, const DirtyRect& b);

class PresentSchedule {
 public:
  explicit PresentSchedule(std::int64_t minIntervalTicks) : minInterval_(minIntervalTicks) {}

  void Add(const DirtyRect& changed) { pending_ = Union(pending_, changed); }
  bool HasPending() const { return !pending_.Empty(); }

  // The pending area if the interval since the last present has passed,
  // otherwise an empty rectangle (the area stays pending).
  DirtyRect TakeIfDue(std::int64_t nowTicks);
  // The pending area, whatever the time.
  DirtyRect TakeNow(std::int64_t nowTicks);

 private:
  std::int64_t minInterval_;
  std::int64_t lastPresent_ = INT64_MIN / 2;
  DirtyRect pending_;
};

}  // namespace pelmic::win32
