// SPDX-License-Identifier: MIT
#include "platform/web/page_options.h"

#include "text/printable_text.h"
#include "cycle/run_request.h"

namespace pelmic::web {

namespace {

// The value as given, shown as every message shows outside text: escaped and
// cut short, so that an address can neither flood nor fake the page's text.
std::string Refusal(std::string_view what, std::string_view text) {
  return std::string(what) + ", not '" + Excerpt(text) + "'";
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
