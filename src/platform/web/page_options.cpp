#include "platform/web/page_options.h"

#include "cycle/run_request.h"

namespace pelmic::web {

namespace {

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
    options.seed = ParseRunSeed(*seed);
    if (!options.seed) {
      parsed.error = Refusal("seed must be a whole number from 0 to 18446744073709551615", *seed);
      return parsed;
    }
  }
  if (const auto size = parameter("size")) {
    options.size = ParseRunSize(*size);
    if (!options.size) {
      parsed.error = Refusal("size must be WxH with whole numbers from 1 to 16384", *size);
      return parsed;
    }
  }
  if (const auto cycles = parameter("cycles")) {
    options.cycles = ParseRunCycles(*cycles);
    if (!options.cycles) {
      parsed.error = Refusal("cycles must be a whole number from 1 to 10000", *cycles);
      return parsed;
    }
  }
  return parsed;
}

}  // namespace pelmic::web
