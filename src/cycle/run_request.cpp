// SPDX-License-Identifier: MIT
#include "cycle/run_request.h"

#include <charconv>

namespace pelmic {

namespace {

template <typename Number>
std::optional<Number> ParseWhole(std::string_view text) {
  Number value{};
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || text.empty()) return std::nullopt;
  return value;
}

bool InRange(int value, int most) { return value >= 1 && value <= most; }

}  // namespace

std::optional<std::uint64_t> ParseRunSeed(std::string_view text) { return ParseWhole<std::uint64_t>(text); }

std::optional<RunSize> ParseRunSize(std::string_view text) {
  const auto x = text.find('x');
  if (x == std::string_view::npos) return std::nullopt;
  const auto width = ParseWhole<int>(text.substr(0, x));
  const auto height = ParseWhole<int>(text.substr(x + 1));
  if (!width || !height || !InRange(*width, kMaxRunSide) || !InRange(*height, kMaxRunSide)) return std::nullopt;
  return RunSize{*width, *height};
}

std::optional<int> ParseRunCycles(std::string_view text) {
  const auto cycles = ParseWhole<int>(text);
  if (!cycles || !InRange(*cycles, kMaxRunCycles)) return std::nullopt;
  return cycles;
}

}  // namespace pelmic
