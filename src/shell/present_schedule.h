// present_schedule.h - when a saver window copies new drawing to the screen.
//
// The cycle yields to the event loop once per site pair and over a million
// times in each pause. Presenting on every yield would cost a copy each time;
// presenting only at the end would show a finished diagram at once. So a
// front end presents when something changed and at least a short interval
// passed since its last present: the cells still appear one after another,
// and idle yields cost nothing. The changed area itself is collected by the
// canvas until it is taken. Each front end keeps its own clock and interval.
//
//   PresentSchedule schedule(ticksPerPresent);
//   if (canvas.HasChanges() && schedule.Due(Now())) {
//     Present(canvas.TakeDirtyRect());
//     schedule.Presented(Now());
//   }
#pragma once

#include <cstdint>

namespace pelmic::shell {

class PresentSchedule {
 public:
  explicit PresentSchedule(std::int64_t minIntervalTicks) : minInterval_(minIntervalTicks) {}

  // Whether the interval since the last present has passed; the first
  // present is always due.
  bool Due(std::int64_t nowTicks) const { return nowTicks - lastPresent_ >= minInterval_; }
  // Records a present: the next one is due an interval later.
  void Presented(std::int64_t nowTicks) { lastPresent_ = nowTicks; }

 private:
  std::int64_t minInterval_;
  std::int64_t lastPresent_ = INT64_MIN / 2;
};

}  // namespace pelmic::shell
