// SPDX-License-Identifier: MIT
// progress_line.h - "pelmic-render: 12 of 500 cycles" on one line of standard
// error that updates in place, for runs long enough to wonder about. Shown
// only when standard error is a terminal: a log or a pipe gets nothing extra.
#pragma once

#include <chrono>

namespace pelmic::render {

class ProgressLine {
 public:
  explicit ProgressLine(int total);
  ~ProgressLine();  // ends the line, so that a message after it starts on its own
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  void Update(int done);

 private:
  int total_;
  bool shown_;
  bool printed_ = false;
  std::chrono::steady_clock::time_point lastShown_{};
};

}  // namespace pelmic::render
