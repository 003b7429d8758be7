#include "platform/web/page_options.h"

#include <charconv>

namespace pelmic::web {

namespace {

// The renderer's limits.
constexpr int kMaxSide = 16384;
constexpr int kMaxCycles = 10000;

template <typename Number>
bool ParseWhole(std::string_view text, Number& value) {
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end && !text.empty();
}

std::optional<PictureSize> ParseSize(std::string_view text) {
  const auto x = text.find('x');
  PictureSize size;
  if (x == std::string_view::npos || !ParseWhole(text.substr(0, x), size.width) ||
      !ParseWhole(text.substr(x + 1), size.height)) {
    return std::nullopt;
  }
  if (size.width < 1 || size.height < 1 || size.width > kMaxSide || size.height > kMaxSide) return std::nullopt;
  return size;
}

// The value as given, cut (between characters) after 40 bytes so that a long
// address cannot flood the page.
std::string Refusal(std::string_view what, std::string_view text) {
  constexpr std::size_t kShownBytes = 40;
  std::string shown(text);
  if (shown.size() > kShownBytes) {
    std::size_t cut = kShownBytes;
    while (cut > 0 && (static_cast<unsigned char>(shown[cut]) & 0xC0u) == 0x80u) --cut;
    shown = shown.substr(0, cut) + "...";
  }
  return std::string(what) + ", not '" + shown + "'";
}

}  // namespace

ParsedPageOptions ParsePageOptions(const UrlParameterLookup& parameter) {
  ParsedPageOptions parsed;
  PageOptions& options = parsed.options;
  if (const auto seed = parameter("seed")) {
    std::uint64_t value = 0;
    if (!ParseWhole(*seed, value)) {
      parsed.error = Refusal("seed must be a whole number from 0 to 18446744073709551615", *seed);
      return parsed;
    }
    options.seed = value;
  }
  if (const auto size = parameter("size")) {
    options.size = ParseSize(*size);
    if (!options.size) {
      parsed.error = Refusal("size must be WxH with whole numbers from 1 to 16384", *size);
      return parsed;
    }
  }
  if (const auto cycles = parameter("cycles")) {
    int value = 0;
    if (!ParseWhole(*cycles, value) || value < 1 || value > kMaxCycles) {
      parsed.error = Refusal("cycles must be a whole number from 1 to 10000", *cycles);
      return parsed;
    }
    options.cycles = value;
  }
  return parsed;
}

}  // namespace pelmic::web
