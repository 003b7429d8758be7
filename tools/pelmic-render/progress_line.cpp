// SPDX-License-Identifier: MIT
#include "progress_line.h"

#include <cstdio>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace pelmic::render {
namespace {

// Often enough to look alive, rarely enough to cost nothing next to a cycle.
constexpr auto kInterval = std::chrono::milliseconds(100);

}  // namespace

ProgressLine::ProgressLine(int total) : total_(total), shown_(total > 1 && ::isatty(2)) {}

ProgressLine::~ProgressLine() {
  if (printed_) std::fputc('\n', stderr);
}

void ProgressLine::Update(int done) {
  if (!shown_) return;
  const auto now = std::chrono::steady_clock::now();
  if (done < total_ && printed_ && now - lastShown_ < kInterval) return;
  std::fprintf(stderr, "\rpelmic-render: %d of %d cycles", done, total_);
  std::fflush(stderr);
  lastShown_ = now;
  printed_ = true;
}

}  // namespace pelmic::render
