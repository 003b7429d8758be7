// SPDX-License-Identifier: MIT
// cluster_check.cpp - every cell of many site sets against the exact cell.
//
// Reads site sets from standard input, each a line "NUMBER FAMILY W H N"
// then N lines "x y" (numbers that strtod reads back exactly), builds the
// cells as pelmic-render --sites does, and prints one line per set whose
// cell area lies more than 1/2 px^2 from the exact clipped cell's, whose
// label is not the exact area rounded to nearest, a half to even, or where
// a reported vertex or a drawn edge end lies more than 1e-6 px from every
// vertex of the exact cell, or a vertex of the exact cell that far from
// every reported one:
//   NUMBER FAMILY WxH | reason | x y, x y, ...
// At the end: the count, and the sets whose construction took longest.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "area/area_label.h"
#include "cycle/site_cells.h"
#include "oracle/reference_voronoi.h"

namespace {

using pelmic::testing::ReferencePoint;
using Rational = boost::multiprecision::mpq_rational;
using Integer = boost::multiprecision::mpz_int;

struct SiteSet {
  std::string number, family, sites;
  pelmic::ScreenSize screen{};
  std::vector<ReferencePoint> points;
};

bool ReadSet(SiteSet& set) {
  double w = 0;
  std::size_t n = 0;
  if (!(std::cin >> set.number >> set.family >> w >> set.screen.heightPx >> n)) return false;
  set.screen.widthPx = static_cast<float>(w);
  set.points.clear();
  set.sites.clear();
  for (std::size_t s = 0; s < n; ++s) {
    std::string x, y;
    if (!(std::cin >> x >> y)) return false;
    set.points.push_back({std::strtod(x.c_str(), nullptr), std::strtod(y.c_str(), nullptr)});
    set.sites += (s ? ", " : "") + x + " " + y;
  }
  return true;
}

// The exact area rounded to nearest, a half to the even neighbour.
Integer LabelOf(const Rational& area) {
  const Integer floor = numerator(area) / denominator(area);  // areas are never negative
  const Rational rest = area - floor;
  if (rest > Rational(1, 2) || (rest == Rational(1, 2) && floor % 2 != 0)) return floor + 1;
  return floor;
}

// Why the cells of `set` are wrong, or "" when they are right.
std::string Fault(const SiteSet& set, double& seconds) {
  auto tables = std::make_unique<pelmic::DiagramTables>();
  tables->sites.siteCount = static_cast<std::int16_t>(set.points.size());
  for (std::size_t n = 0; n < set.points.size(); ++n) {
    tables->sites.siteX.at(n) = set.points[n].x;
    tables->sites.siteY.at(n) = set.points[n].y;
  }
  std::vector<pelmic::testing::DrawnEnd> ends;
  const auto start = std::chrono::steady_clock::now();
  pelmic::BuildAllCells(*tables, set.screen, [&](int i, int, const pelmic::Edge& edge) {
    ends.push_back({i, edge.x1, edge.y1});
    ends.push_back({i, edge.x2, edge.y2});
  });
  seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const auto exact = pelmic::testing::HalfPlaneCells(set.points, set.screen);
  for (std::size_t n = 0; n < exact.size(); ++n) {
    const double area = tables->cellArea.at(n);
    const Integer label = LabelOf(exact[n].area);
    const bool near = abs(Rational(area) - exact[n].area) <= Rational(1, 2);
    if (!near || Integer(pelmic::AreaLabelValue(area)) != label) {
      char text[160];
      std::snprintf(text, sizeof text, "site %zu: area %.17g label %d, exact %.17g (%s)", n + 1, area,
                    pelmic::AreaLabelValue(area), static_cast<double>(exact[n].area), label.str().c_str());
      return text;
    }
  }
  return pelmic::testing::PointFault(*tables, ends, exact);
}

struct Timed {
  double seconds;
  std::string line;
};

}  // namespace

int main() {
  std::ios::sync_with_stdio(false);
  SiteSet set;
  std::vector<Timed> slowest;
  long files = 0, failed = 0;
  double building = 0;
  while (ReadSet(set)) {
    ++files;
    const std::string head = set.number + " " + set.family + " " + std::to_string(static_cast<int>(set.screen.widthPx)) +
                             "x" + std::to_string(static_cast<int>(set.screen.heightPx));
    double seconds = 0;
    std::string fault;
    try {
      fault = Fault(set, seconds);
    } catch (const std::exception& error) {
      fault = std::string("threw: ") + error.what();
    }
    if (!fault.empty()) {
      ++failed;
      std::cout << head << " | " << fault << " | " << set.sites << std::endl;
    }
    building += seconds;
    slowest.push_back({seconds, head + " | " + set.sites});
    std::sort(slowest.begin(), slowest.end(), [](const Timed& a, const Timed& b) { return a.seconds > b.seconds; });
    if (slowest.size() > 5) slowest.pop_back();
  }
  for (const Timed& t : slowest) std::cout << "slowest " << t.seconds * 1e6 << " us: " << t.line << "\n";
  std::cout << "checked " << files << " files, " << failed << " failed, " << building << " s building cells"
            << std::endl;
  return failed ? 1 : 0;
}
