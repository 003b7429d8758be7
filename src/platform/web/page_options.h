// SPDX-License-Identifier: MIT
// page_options.h - the page's address parameters: index.html?seed=N&size=WxH&cycles=K.
//
// Checked as pelmic-render checks --seed, --size and --cycles, so that a
// picture the renderer accepts opens on the page and one it refuses does not.
// The seed is read as the full 64-bit value it is, never through a double.
//
//   ParsedPageOptions parsed = ParsePageOptions(browser::UrlParameter);
//   if (!parsed.error.empty()) ...  // "size must be WxH with whole numbers from 1 to 16384, not '0x5'"
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "cycle/run_request.h"

namespace pelmic::web {

using PictureSize = RunSize;

struct PageOptions {
  std::optional<std::uint64_t> seed;  // none: a seed from the clock
  std::optional<PictureSize> size;    // none: the window's size
  std::optional<int> cycles;          // none: no end
  // Any parameter asks for a picture that can be compared with the renderer's.
  bool Reproducible() const { return seed || size || cycles; }
};

struct ParsedPageOptions {
  PageOptions options;
  std::string error;  // empty when every parameter is good
};

// A parameter's value as the address has it (percent-decoded), or none.
using UrlParameterLookup = std::function<std::optional<std::string>(std::string_view name)>;

ParsedPageOptions ParsePageOptions(const UrlParameterLookup& parameter);

}  // namespace pelmic::web
