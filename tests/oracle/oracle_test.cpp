// Every cell of our construction against the exact clipped Voronoi cell.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cmath>
#include <memory>
#include <random>
#include <set>
#include <utility>

#include "area/site_cell.h"
#include "oracle/reference_voronoi.h"

namespace pelmic {
namespace {

using testing::ReferencePoint;

struct Scenario {
  ScreenSize screen;
  std::vector<ReferencePoint> sites;
};

std::unique_ptr<DiagramTables> Build(const Scenario& scenario) {
  auto tables = std::make_unique<DiagramTables>();
  tables->sites.siteCount = static_cast<std::int16_t>(scenario.sites.size());
  for (std::size_t n = 0; n < scenario.sites.size(); ++n) {
    tables->sites.siteX.at(n) = static_cast<float>(scenario.sites[n].x);
    tables->sites.siteY.at(n) = static_cast<float>(scenario.sites[n].y);
  }
  BuildAllCells(*tables, scenario.screen);
  return tables;
}

// Our cell's vertices, duplicates dropped (a corner can also be an edge end).
std::vector<ReferencePoint> OurVertices(const DiagramTables& tables, int row) {
  std::vector<ReferencePoint> vertices;
  for (int v = 0; v < tables.cells.VertexCount(row); ++v) {
    const ReferencePoint p{tables.cells.X(row, v), tables.cells.Y(row, v)};
    const bool seen = std::any_of(vertices.begin(), vertices.end(),
                                  [&](const ReferencePoint& q) { return std::hypot(p.x - q.x, p.y - q.y) < 1e-6; });
    if (!seen) vertices.push_back(p);
  }
  return vertices;
}

// Drops vertices that lie on the straight line between their neighbours: they
// do not change the polygon, and both constructions may produce some (an edge
// ending on a border right where the border meets another cell's corner).
std::vector<ReferencePoint> Corners(const std::vector<ReferencePoint>& vertices) {
  std::vector<ReferencePoint> polygon;
  for (const ReferencePoint& p : vertices) {
    const bool repeat = !polygon.empty() && std::hypot(p.x - polygon.back().x, p.y - polygon.back().y) < 1e-9;
    if (!repeat) polygon.push_back(p);
  }
  while (polygon.size() > 1 &&
         std::hypot(polygon.front().x - polygon.back().x, polygon.front().y - polygon.back().y) < 1e-9) {
    polygon.pop_back();
  }
  std::vector<ReferencePoint> kept;
  const std::size_t n = polygon.size();
  for (std::size_t v = 0; v < n; ++v) {
    const ReferencePoint& a = polygon[(v + n - 1) % n];
    const ReferencePoint& p = polygon[v];
    const ReferencePoint& b = polygon[(v + 1) % n];
    const double cross = (p.x - a.x) * (b.y - p.y) - (p.y - a.y) * (b.x - p.x);
    const double scale = std::hypot(p.x - a.x, p.y - a.y) * std::hypot(b.x - p.x, b.y - p.y);
    if (std::abs(cross) > 1e-9 * scale) kept.push_back(p);
  }
  return kept;
}

std::string Describe(const std::vector<ReferencePoint>& polygon) {
  std::string text;
  char buffer[64];
  for (const ReferencePoint& p : polygon) {
    std::snprintf(buffer, sizeof buffer, " (%.10g, %.10g)", p.x, p.y);
    text += buffer;
  }
  return text;
}

double NearestDistance(const ReferencePoint& p, const std::vector<ReferencePoint>& points) {
  double best = INFINITY;
  for (const ReferencePoint& q : points) best = std::min(best, std::hypot(p.x - q.x, p.y - q.y));
  return best;
}

// Compares areas and vertex sets; reports the first difference found.
void ExpectExactCells(const Scenario& scenario, const std::string& label) {
  const auto tables = Build(scenario);
  const auto reference = testing::ReferenceCells(scenario.sites, scenario.screen);
  double total = 0;
  for (std::size_t n = 0; n < scenario.sites.size(); ++n) {
    const int row = static_cast<int>(n);
    const double expected = testing::PolygonArea(reference[n]);
    const double actual = tables->cellArea.at(n);
    total += actual;
    const auto ours = Corners(OurVertices(*tables, row));
    const auto theirs = Corners(reference[n]);
    SCOPED_TRACE("ours " + Describe(ours) + "\nexact " + Describe(theirs));
    ASSERT_NEAR(actual, expected, 1e-6 * expected + 1e-9) << label << " site " << n + 1;
    for (const ReferencePoint& p : ours) {
      ASSERT_LT(NearestDistance(p, theirs), 1e-6) << label << " site " << n + 1 << " extra vertex " << p.x << "," << p.y;
    }
    for (const ReferencePoint& p : theirs) {
      ASSERT_LT(NearestDistance(p, ours), 1e-6) << label << " site " << n + 1 << " missing vertex " << p.x << "," << p.y
                                                << " nearest at " << NearestDistance(p, ours);
    }
  }
  const double screenArea = double{scenario.screen.widthPx} * scenario.screen.heightPx;
  EXPECT_NEAR(total, screenArea, 1e-9 * screenArea) << label;
}

constexpr ScreenSize kScreens[] = {{800, 600}, {1920, 1080}, {1366, 768}, {1024, 768}, {2560, 1440}, {640, 480}};

// Distinct sites on the 1/1024-pixel grid: exact as floats and for Boost.
std::vector<ReferencePoint> RandomSites(std::mt19937& rng, ScreenSize screen, int count, double grid) {
  std::uniform_int_distribution<long> gx(0, static_cast<long>(screen.widthPx * grid) - 1);
  std::uniform_int_distribution<long> gy(0, static_cast<long>(screen.heightPx * grid) - 1);
  std::set<std::pair<long, long>> used;
  std::vector<ReferencePoint> sites;
  while (static_cast<int>(sites.size()) < count) {
    const auto p = std::make_pair(gx(rng), gy(rng));
    if (!used.insert(p).second) continue;
    sites.push_back({static_cast<double>(p.first) / grid, static_cast<double>(p.second) / grid});
  }
  return sites;
}

TEST(VoronoiOracle, RandomSiteSetsGiveExactClippedCells) {
  for (unsigned seed = 1; seed <= 300; ++seed) {
    std::mt19937 rng(seed);
    const ScreenSize screen = kScreens[seed % std::size(kScreens)];
    const int count = std::uniform_int_distribution<int>(4, 49)(rng);
    ExpectExactCells({screen, RandomSites(rng, screen, count, testing::kSiteGrid)}, "seed " + std::to_string(seed));
    if (HasFatalFailure()) return;
  }
}

// Sites within a few pixels of the borders: bisectors that leave the screen
// close to their sites, and cells squeezed against the edges.
TEST(VoronoiOracle, SitesHuggingTheBordersGiveExactCells) {
  for (unsigned seed = 1; seed <= 200; ++seed) {
    std::mt19937 rng(seed);
    const ScreenSize screen = kScreens[seed % std::size(kScreens)];
    const int count = std::uniform_int_distribution<int>(4, 49)(rng);
    std::vector<ReferencePoint> sites = RandomSites(rng, screen, count, testing::kSiteGrid);
    std::uniform_real_distribution<double> band(0, 6);
    for (std::size_t n = 0; n < sites.size(); n += 2) {
      const double d = std::floor(band(rng) * testing::kSiteGrid) / testing::kSiteGrid;
      switch (n % 8) {
        case 0: sites[n].x = d; break;
        case 2: sites[n].y = d; break;
        case 4: sites[n].x = screen.widthPx - 1 - d; break;
        default: sites[n].y = screen.heightPx - 1 - d; break;
      }
    }
    std::sort(sites.begin(), sites.end(), [](auto a, auto b) { return std::tie(a.x, a.y) < std::tie(b.x, b.y); });
    sites.erase(std::unique(sites.begin(), sites.end(), [](auto a, auto b) { return a.x == b.x && a.y == b.y; }),
                sites.end());
    std::shuffle(sites.begin(), sites.end(), rng);
    ExpectExactCells({screen, sites}, "border seed " + std::to_string(seed));
    if (HasFatalFailure()) return;
  }
}

// Whole-pixel sites on a coarse lattice: many shared x and y coordinates,
// vertical and horizontal bisectors, and four or more sites on one circle.
TEST(VoronoiOracle, LatticeSitesWithSharedCoordinatesGiveExactCells) {
  for (unsigned seed = 1; seed <= 200; ++seed) {
    std::mt19937 rng(seed);
    const ScreenSize screen{800, 600};
    const int count = std::uniform_int_distribution<int>(4, 49)(rng);
    const int step = std::uniform_int_distribution<int>(20, 100)(rng);
    std::uniform_int_distribution<int> gx(0, 799 / step), gy(0, 599 / step);
    std::set<std::pair<int, int>> used;
    std::vector<ReferencePoint> sites;
    for (int tries = 0; static_cast<int>(sites.size()) < count && tries < 1000; ++tries) {
      const auto p = std::make_pair(gx(rng) * step, gy(rng) * step);
      if (used.insert(p).second) sites.push_back({double(p.first), double(p.second)});
    }
    if (sites.size() < 2) continue;
    ExpectExactCells({screen, sites}, "lattice seed " + std::to_string(seed));
    if (HasFatalFailure()) return;
  }
}

TEST(VoronoiOracle, HandPickedDegenerateSetsGiveExactCells) {
  const ScreenSize screen{800, 600};
  const std::vector<std::pair<std::string, std::vector<ReferencePoint>>> sets = {
      {"two sites sharing x", {{300, 100}, {300, 400}}},
      {"two sites sharing y", {{200, 250}, {650, 250}}},
      {"sites on the left and top borders", {{0, 300}, {400, 0}, {500, 500}}},
      {"site in the top-left corner", {{0, 0}, {400, 300}, {700, 100}}},
      {"four sites on a square", {{200, 200}, {600, 200}, {200, 400}, {600, 400}}},
      {"five on a circle about the centre", {{400, 100}, {600, 300}, {400, 500}, {200, 300}, {400, 300}}},
      {"collinear sites", {{100, 100}, {200, 200}, {300, 300}, {400, 400}}},
  };
  for (const auto& [label, sites] : sets) ExpectExactCells({screen, sites}, label);
}

}  // namespace
}  // namespace pelmic
