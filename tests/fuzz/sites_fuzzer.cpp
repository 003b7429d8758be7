// SPDX-License-Identifier: MIT
// libFuzzer target: any bytes as a sites file, the screen picked by the first
// byte. Every file the reader accepts must give cells that tile the screen,
// and in a file of at most kPointChecked sites every reported vertex and
// drawn edge end must lie within 1e-6 px of its exact cell's vertices, and
// each of those within 1e-6 px of a reported one.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cmath>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "cycle/site_cells.h"
#include "oracle/reference_voronoi.h"
#include "input_error.h"
#include "sites_file.h"

namespace {

// Common screens, the largest, tiny ones and one pixel wide or high.
constexpr pelmic::ScreenSize kScreens[] = {{1920, 1080}, {800, 600}, {64, 48},    {16384, 16384},
                                           {1366, 768},  {1, 16384}, {16384, 1}, {3, 2}};

pelmic::DiagramTables tables;  // a quarter megabyte: kept off the stack

// Files this small are checked against the exact cells at fuzzing speed.
constexpr int kPointChecked = 8;

void CheckPoints(pelmic::ScreenSize screen, const std::vector<pelmic::testing::DrawnEnd>& ends) {
  std::vector<pelmic::testing::ReferencePoint> sites;
  for (int n = 1; n <= tables.sites.siteCount; ++n) sites.push_back({tables.sites.X(n), tables.sites.Y(n)});
  const std::string fault = pelmic::testing::PointFault(tables, ends, pelmic::testing::HalfPlaneCells(sites, screen));
  if (fault.empty()) return;
  std::fprintf(stderr, "%s\n", fault.c_str());
  std::abort();
}

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
  std::vector<pelmic::testing::DrawnEnd> ends;
  pelmic::BuildAllCells(tables, screen, [&](int i, int, const pelmic::Edge& edge) {
    ends.push_back({i, edge.x1, edge.y1});
    ends.push_back({i, edge.x2, edge.y2});
  });
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
  if (tables.sites.siteCount <= kPointChecked) CheckPoints(screen, ends);
  return 0;
}
