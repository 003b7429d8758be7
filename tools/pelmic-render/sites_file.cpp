// SPDX-License-Identifier: MIT
#include "sites_file.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>

#include "bounded_lines.h"
#include "text/printable_text.h"
#include "input_error.h"

namespace pelmic::render {
namespace {

// A site line is two numbers; 4 KiB leaves room for any spelling of them.
constexpr std::size_t kMaxLineLength = 4096;

bool ParseNumber(const std::string& token, double& value) {
  const char* begin = token.data();
  const char* end = begin + token.size();
  if (begin != end && *begin == '+') ++begin;  // from_chars does not take a plus sign
  auto [ptr, ec] = std::from_chars(begin, end, value);
  if (ec == std::errc::result_out_of_range && ptr == end) {
    // A number too small for a double reads as the nearest one, 0, like
    // 1e-320 reads as the nearest step; one too large becomes infinity and
    // stays refused. strtod rounds both ways (the C locale is never left).
    value = std::strtod(std::string(begin, end).c_str(), nullptr);
    ec = std::errc();
  }
  return ec == std::errc() && ptr == end && std::isfinite(value);
}

bool IsBlank(const std::string& line) { return line.find_first_not_of(" \t\r") == std::string::npos; }

// Editors on Windows often start a UTF-8 text file with one.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

SiteTable ReadSitesFile(const std::string& path, ScreenSize screen) {
  const std::string name = Printable(path);
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) throw InputError(name + ": is a directory, not a sites file");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw InputError(name + ": cannot be read");
  return ReadSites(in, name, screen);
}

SiteTable ReadSites(std::istream& in, const std::string& name, ScreenSize screen) {
  SiteTable sites;
  std::array<std::uint64_t, kMaxSites> lineOfSite{};
  BoundedLines lines(in, kMaxLineLength);
  std::string line;
  for (;;) {
    try {
      if (!lines.Next(line)) break;
    } catch (const BoundedLines::LineTooLong&) {
      throw InputError(name + ":" + std::to_string(lines.LineNumber()) + ": line longer than " +
                       std::to_string(kMaxLineLength) + " bytes; a site line is 'x y'");
    }
    if (lines.LineNumber() == 1 && line.starts_with(kByteOrderMark)) line.erase(0, kByteOrderMark.size());
    if (IsBlank(line)) continue;
    const std::string where = name + ":" + std::to_string(lines.LineNumber()) + ": ";
    std::istringstream fields(line);
    std::string xText, yText, extra;
    double x = 0, y = 0;
    if (!(fields >> xText >> yText) || (fields >> extra) || !ParseNumber(xText, x) || !ParseNumber(yText, y)) {
      throw InputError(where + "expected two finite numbers 'x y', got '" + Excerpt(line) + "'");
    }
    if (!(x >= 0 && x < screen.widthPx && y >= 0 && y < screen.heightPx)) {
      throw InputError(where + "site (" + Excerpt(xText) + ", " + Excerpt(yText) + ") lies outside the screen [0, " +
                       std::to_string(static_cast<int>(screen.widthPx)) + ") x [0, " +
                       std::to_string(static_cast<int>(screen.heightPx)) + ")");
    }
    if (sites.siteCount == kMaxSites) throw InputError(where + "more than " + std::to_string(kMaxSites) + " sites");
    for (int earlier = 0; earlier < sites.siteCount; ++earlier) {
      if (sites.siteX.at(earlier) == x && sites.siteY.at(earlier) == y) {
        throw InputError(where + "site (" + Excerpt(xText) + ", " + Excerpt(yText) + ") coincides with the site on line " +
                         std::to_string(lineOfSite.at(earlier)));
      }
    }
    sites.siteX.at(sites.siteCount) = x;
    sites.siteY.at(sites.siteCount) = y;
    lineOfSite.at(sites.siteCount) = lines.LineNumber();
    ++sites.siteCount;
  }
  if (in.bad()) throw InputError(name + ": cannot be read");
  if (sites.siteCount < 2) throw InputError(name + ": needs at least 2 sites, found " + std::to_string(sites.siteCount));
  return sites;
}

}  // namespace pelmic::render
