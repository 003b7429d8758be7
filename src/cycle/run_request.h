// SPDX-License-Identifier: MIT
// run_request.h - what a reproducible run of the cycle may ask for: a seed, a
// screen size and a number of cycles, read from text by the same rules
// wherever the text comes from (pelmic-render's command line, the web page's
// address), so that a run one of them accepts the other accepts too.
//
//   const std::optional<RunSize> size = ParseRunSize("800x600");  // none if refused
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace pelmic {

inline constexpr int kMaxRunSide = 16384;  // pixels, each side
inline constexpr int kMaxRunCycles = 10000;

struct RunSize {
  int width = 0;
  int height = 0;
};

// Whole decimal numbers only: no sign, no blanks, nothing after the digits.
std::optional<std::uint64_t> ParseRunSeed(std::string_view text);             // 0 .. 2^64 - 1
std::optional<RunSize> ParseRunSize(std::string_view text);                   // WxH, each 1 .. kMaxRunSide
std::optional<int> ParseRunCycles(std::string_view text);                     // 1 .. kMaxRunCycles

}  // namespace pelmic
