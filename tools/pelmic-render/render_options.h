// SPDX-License-Identifier: MIT
// render_options.h - the renderer's command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pelmic::render {

struct RenderOptions {
  std::optional<std::string> sitesFile;  // --sites: fixed sites instead of random cycles
  int width = 1920;
  int height = 1080;
  std::optional<std::uint64_t> seed;
  int cycles = 1;
  std::optional<std::string> pngPath;   // --out
  std::optional<std::string> jsonPath;  // --json ("-" = standard output)
  bool showHelp = false;                // -h, --help: the rest of the line is not looked at
  bool showVersion = false;             // --version: likewise
};

// Parses argv[1..]; throws InputError naming the problem.
RenderOptions ParseOptions(const std::vector<std::string>& args);

extern const char* const kUsage;  // the synopsis, also shown after bad input
extern const char* const kHelp;   // what --help adds to it

}  // namespace pelmic::render
