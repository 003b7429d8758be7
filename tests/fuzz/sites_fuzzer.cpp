// SPDX-License-Identifier: MIT
// libFuzzer target: any bytes as a sites file, the screen picked by the first
// byte. Every file the reader accepts must give cells that tile the screen.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cmath>
#include <iterator>
#include <sstream>
#include <string>

#include "cycle/site_cells.h"
#include "input_error.h"
#include "sites_file.h"

namespace {

// Common screens, the largest, tiny ones and one pixel wide or high.
constexpr pelmic::ScreenSize kScreens[] = {{1920, 1080}, {800, 600}, {64, 48},    {16384, 16384},
                                           {1366, 768},  {1, 16384}, {16384, 1}, {3, 2}};

pelmic::DiagramTables tables;  // a quarter megabyte: kept off the stack

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const pelmic::ScreenSize screen = kScreens[data[0] % std::size(kScreens)];
  std::istringstream in(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
  try {
    tables.sites = pelmic::render::ReadSites(in, "input", screen);
  } catch (const pelmic::render::InputError&) {
    return 0;
  }
  pelmic::BuildAllCells(tables, screen);
  double total = 0;
  for (int n = 0; n < tables.sites.siteCount; ++n) {
    const double area = tables.cellArea.at(n);
    if (!(area >= 0 && std::isfinite(area))) std::abort();
    total += area;
  }
  // Each cell lies within half a pixel of its exact area, and the exact cells
  // tile the screen. Fails for a NaN total too.
  if (!(std::abs(total - double{screen.widthPx} * screen.heightPx) <= 0.5 * tables.sites.siteCount)) {
    std::fprintf(stderr, "cells cover %.17g px^2 of %gx%g\n", total, screen.widthPx, screen.heightPx);
    std::abort();
  }
  return 0;
}
