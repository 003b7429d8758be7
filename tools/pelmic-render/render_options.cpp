#include "render_options.h"

#include <charconv>

#include "input_error.h"

namespace pelmic::render {

const char* const kUsage =
    "usage: pelmic-render [--seed N] [--size WxH] [--cycles K] [--out FILE.png] [--json FILE|-]\n"
    "       pelmic-render --sites FILE [--size WxH] --json FILE|-\n";

namespace {

template <typename Number>
bool ParseWhole(const std::string& text, Number& value) {
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end && !text.empty();
}

void ParseSize(const std::string& text, RenderOptions& options) {
  const auto x = text.find('x');
  int w = 0, h = 0;
  if (x == std::string::npos || !ParseWhole(text.substr(0, x), w) || !ParseWhole(text.substr(x + 1), h) || w <= 0 ||
      h <= 0 || w > 16384 || h > 16384) {
    throw InputError("--size must be WxH with whole numbers from 1 to 16384, not '" + text + "'");
  }
  options.width = w;
  options.height = h;
}

}  // namespace

RenderOptions ParseOptions(const std::vector<std::string>& args) {
  RenderOptions options;
  for (std::size_t a = 0; a < args.size(); ++a) {
    const std::string& name = args[a];
    auto value = [&]() -> const std::string& {
      if (a + 1 >= args.size()) throw InputError(name + " needs a value");
      return args[++a];
    };
    if (name == "--sites") {
      options.sitesFile = value();
    } else if (name == "--size") {
      ParseSize(value(), options);
    } else if (name == "--seed") {
      std::uint64_t seed = 0;
      const std::string& text = value();
      if (!ParseWhole(text, seed)) throw InputError("--seed must be a whole number, not '" + text + "'");
      options.seed = seed;
    } else if (name == "--cycles") {
      const std::string& text = value();
      if (!ParseWhole(text, options.cycles) || options.cycles < 1 || options.cycles > 10000) {
        throw InputError("--cycles must be a whole number from 1 to 10000, not '" + text + "'");
      }
    } else if (name == "--out") {
      options.pngPath = value();
    } else if (name == "--json") {
      options.jsonPath = value();
    } else {
      throw InputError("unknown option '" + name + "'");
    }
  }
  if (options.sitesFile && (options.seed || options.pngPath || options.cycles != 1)) {
    throw InputError("--sites takes only --size and --json");
  }
  if (options.sitesFile && !options.jsonPath) throw InputError("--sites needs --json");
  if (!options.pngPath && !options.jsonPath) throw InputError("nothing to write: give --out or --json");
  return options;
}

}  // namespace pelmic::render
