// SPDX-License-Identifier: MIT
// Every cell of our construction against the exact clipped Voronoi cell.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cmath>
#include <memory>
#include <numbers>
#include <random>
#include <set>
#include <utility>

#include "cycle/site_cells.h"
#include "oracle/reference_voronoi.h"

namespace pelmic {
namespace {

using testing::ReferencePoint;

struct Scenario {
  ScreenSize screen;
  std::vector<ReferencePoint> sites;
};

// A drawn edge, or a cell's side on a bisector: sites i and k (1-based), ends a and b.
struct Side {
  int i, k;
  ReferencePoint a, b;
};

std::unique_ptr<DiagramTables> Build(const Scenario& scenario, std::vector<Side>* edges = nullptr) {
  auto tables = std::make_unique<DiagramTables>();
  tables->sites.siteCount = static_cast<std::int16_t>(scenario.sites.size());
  for (std::size_t n = 0; n < scenario.sites.size(); ++n) {
    tables->sites.siteX.at(n) = scenario.sites[n].x;
    tables->sites.siteY.at(n) = scenario.sites[n].y;
  }
  BuildAllCells(*tables, scenario.screen, [edges](int i, int k, const Edge& edge) {
    if (edges) edges->push_back({i, k, {edge.x1, edge.y1}, {edge.x2, edge.y2}});
  });
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

// Compares areas and vertex sets; reports the first difference found. Nearly
// degenerate sets may have distinct vertices closer than the 1e-6 px at which
// a cell keeps one of them, so their tiling is held to 1e-6 relative only.
// Areas against `exactAreas` where given: the polygon of rounded vertices
// is off by their rounding times the cell's extent.
void ExpectCellsLike(const Scenario& scenario, const DiagramTables& tables,
                     const std::vector<std::vector<ReferencePoint>>& reference, const std::string& label,
                     double tilingTolerance, const std::vector<double>* exactAreas = nullptr) {
  double total = 0;
  for (std::size_t n = 0; n < scenario.sites.size(); ++n) {
    const int row = static_cast<int>(n);
    const double expected = exactAreas ? exactAreas->at(n) : testing::PolygonArea(reference[n]);
    const double actual = tables.cellArea.at(n);
    total += actual;
    // Each side's corners against all of the other's vertices: a sliver's may all look in line.
    const auto allOurs = OurVertices(tables, row);
    const auto ours = Corners(allOurs);
    const auto theirs = Corners(reference[n]);
    SCOPED_TRACE("ours " + Describe(ours) + "\nexact " + Describe(theirs));
    // Doubles hold vertices within a few steps of the screen's extent, which moves an area that much times it.
    const double extent = std::max<double>(scenario.screen.widthPx, scenario.screen.heightPx);
    const double rounding = 4 * (std::nextafter(extent, INFINITY) - extent) * extent;
    ASSERT_NEAR(actual, expected, 1e-6 * expected + 1e-9 + rounding) << label << " site " << n + 1;
    for (const ReferencePoint& p : ours) {
      ASSERT_LT(NearestDistance(p, reference[n]), 1e-6) << label << " site " << n + 1 << " extra vertex " << p.x << "," << p.y;
    }
    for (const ReferencePoint& p : theirs) {
      ASSERT_LT(NearestDistance(p, allOurs), 1e-6) << label << " site " << n + 1 << " missing vertex " << p.x << ","
                                                   << p.y << " nearest at " << NearestDistance(p, allOurs);
    }
  }
  const double screenArea = double{scenario.screen.widthPx} * scenario.screen.heightPx;
  EXPECT_NEAR(total, screenArea, tilingTolerance * screenArea) << label;
}

void ExpectExactCells(const Scenario& scenario, const std::string& label, double tilingTolerance = 1e-9) {
  ExpectCellsLike(scenario, *Build(scenario), testing::ReferenceCells(scenario.sites, scenario.screen), label,
                  tilingTolerance);
}

constexpr ScreenSize kScreens[] = {{800, 600},  {1920, 1080}, {1366, 768},   {1024, 768},
                                   {2560, 1440}, {640, 480},   {16384, 16384}};

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

// Sites a hair apart, which Boost's grid cannot hold, and exact copies: each
// of our sites belongs to a site of the reference, and the areas of our sites
// that share one must add up to the area of its cell. An exact copy later in
// the order has no cell at all.
struct SharedCellScenario {
  ScreenSize screen;
  std::vector<ReferencePoint> referenceSites;
  std::vector<ReferencePoint> sites;
  std::vector<std::size_t> owner;  // per site: the reference site whose cell it shares
};

void ExpectSharedCellAreas(const SharedCellScenario& scenario, const std::string& label) {
  const auto tables = Build({scenario.screen, scenario.sites});
  const auto reference = testing::ReferenceCells(scenario.referenceSites, scenario.screen);
  std::vector<double> shared(reference.size(), 0.0);
  double total = 0;
  for (std::size_t n = 0; n < scenario.sites.size(); ++n) {
    const double area = tables->cellArea.at(n);
    ASSERT_TRUE(std::isfinite(area) && area >= 0) << label << " site " << n + 1 << " area " << area;
    shared[scenario.owner[n]] += area;
    total += area;
    for (std::size_t m = 0; m < n; ++m) {
      if (scenario.sites[m].x != scenario.sites[n].x || scenario.sites[m].y != scenario.sites[n].y) continue;
      ASSERT_EQ(tables->cells.VertexCount(static_cast<int>(n)), 0) << label << " site " << n + 1 << " copies " << m + 1;
    }
  }
  for (std::size_t r = 0; r < reference.size(); ++r) {
    const double expected = testing::PolygonArea(reference[r]);
    ASSERT_NEAR(shared[r], expected, 1e-6 * expected) << label << " reference site " << r + 1;
  }
  const double screenArea = double{scenario.screen.widthPx} * scenario.screen.heightPx;
  EXPECT_NEAR(total, screenArea, 1e-6 * screenArea) << label;
}

// Exact cells of a regular k-gon (k >= 3) about (cx, cy) well inside the
// screen, in site order; the centre site, if any, comes last. Boost's integer
// sites cannot hold the polygon's irrational corners, and rounding them onto
// its grid turns each edge by up to 1e-7 rad, which over a 1000 px edge moves
// 0.1 px^2. So the reference is geometry: site v's cell is the wedge between
// the bisector rays at its two sides, clipped to the screen, less its share
// of the centre site's cell, a k-gon of apothem radius / 2.
std::vector<double> RegularPolygonCellAreas(double cx, double cy, double radius, double phase, int k, bool centre,
                                            ScreenSize screen) {
  const double far = 1e7;
  const double half = std::numbers::pi / k;
  const double rho = radius / 2 / std::cos(half);
  const double centreShare = centre ? rho * rho * std::sin(2 * half) / 2 : 0;
  std::vector<double> areas;
  for (int v = 0; v < k; ++v) {
    const double a1 = phase + (2 * v - 1) * half, a2 = phase + (2 * v + 1) * half;
    const std::vector<ReferencePoint> wedge = {
        {cx, cy}, {cx + far * std::cos(a1), cy + far * std::sin(a1)}, {cx + far * std::cos(a2), cy + far * std::sin(a2)}};
    areas.push_back(testing::PolygonArea(testing::ClipToScreen(wedge, screen)) - centreShare);
  }
  if (centre) areas.push_back(k * centreShare);
  return areas;
}

// Regular k-gons in doubles: every pair's bisector passes through the centre,
// where up to 48 cuts of one bisector fall within rounding of each other.
// Without a centre site the centre is a vertex of every cell.
TEST(VoronoiOracle, RegularPolygonsWithAndWithoutACentreSite) {
  const ScreenSize screen{1920, 1080};
  for (unsigned seed = 1; seed <= 92; ++seed) {
    std::mt19937 rng(seed);
    // The first is the 9-gon of radius 10 about the screen's centre.
    const bool first = seed == 1;
    const int k = first ? 9 : 3 + static_cast<int>(seed % 46);
    const double radius = first ? 10 : std::uniform_real_distribution<double>(3, 500)(rng);
    const double cx = first ? 960 : std::uniform_real_distribution<double>(500, 1420)(rng);
    const double cy = first ? 540 : std::uniform_real_distribution<double>(500, 580)(rng);
    const double phase = first ? 0 : std::uniform_real_distribution<double>(0, 2 * std::numbers::pi)(rng);
    for (bool centre : {false, true}) {
      Scenario scenario{screen, {}};
      for (int v = 0; v < k; ++v) {
        const double angle = phase + 2 * std::numbers::pi * v / k;
        scenario.sites.push_back({cx + radius * std::cos(angle), cy + radius * std::sin(angle)});
      }
      if (centre) scenario.sites.push_back({cx, cy});
      const auto tables = Build(scenario);
      const auto expected = RegularPolygonCellAreas(cx, cy, radius, phase, k, centre, screen);
      for (std::size_t n = 0; n < expected.size(); ++n) {
        ASSERT_NEAR(tables->cellArea.at(n), expected[n], 1e-6 * expected[n])
            << k << "-gon seed " << seed << (centre ? " with a centre site" : "") << " site " << n + 1;
      }
    }
  }
}

enum class Lattice { kSquare, kTriangular, kHexagonal };

// Up to 49 points of a lattice about a random place. Square lattices are
// turned by an angle with a rational sine and cosine, so that their points
// stay exact and every square of four is exactly cocircular; the others are
// rounded onto the reference grid, leaving six or three points cocircular to
// within a few 1e-6 px.
std::vector<ReferencePoint> LatticePatch(std::mt19937& rng, ScreenSize screen, Lattice lattice) {
  constexpr int kTurns[][3] = {{0, 1, 1}, {3, 4, 5}, {5, 12, 13}, {8, 15, 17}, {7, 24, 25}};
  const auto& [sin, cos, hyp] = kTurns[rng() % std::size(kTurns)];
  // The step is hyp * unit, unit a whole number of 1/1024 px.
  const int unit = std::uniform_int_distribution<int>(3 * 1024 / hyp + 1, 80 * 1024 / hyp)(rng);
  const double cx = std::round(std::uniform_real_distribution<double>(0, screen.widthPx)(rng));
  const double cy = std::round(std::uniform_real_distribution<double>(0, screen.heightPx)(rng));
  std::vector<ReferencePoint> sites;
  for (int ring = 0; ring <= 4; ++ring) {
    for (int a = -ring; a <= ring; ++a) {
      for (int b = -ring; b <= ring; ++b) {
        if (std::max(std::abs(a), std::abs(b)) != ring || static_cast<int>(sites.size()) == kMaxSites) continue;
        // The honeycomb: the triangular lattice without every third point.
        if (lattice == Lattice::kHexagonal && ((a - b) % 3 + 3) % 3 == 0) continue;
        ReferencePoint p{cx + (a * cos - b * sin) * unit / 1024.0, cy + (a * sin + b * cos) * unit / 1024.0};
        if (lattice != Lattice::kSquare) {
          const double step = hyp * unit / 1024.0;
          const double u = (a + 0.5 * b) * step, v = std::sqrt(3.0) / 2 * b * step;
          p = testing::OnReferenceGrid({cx + (u * cos - v * sin) / hyp, cy + (u * sin + v * cos) / hyp}, screen);
        }
        if (p.x >= 0 && p.x < screen.widthPx && p.y >= 0 && p.y < screen.heightPx) sites.push_back(p);
      }
    }
  }
  return sites;
}

TEST(VoronoiOracle, SquareTriangularAndHexagonalLatticePatches) {
  for (unsigned seed = 1; seed <= 150; ++seed) {
    std::mt19937 rng(seed);
    const ScreenSize screen = kScreens[seed % std::size(kScreens)];
    const Lattice lattice = static_cast<Lattice>(seed % 3);
    const auto sites = LatticePatch(rng, screen, lattice);
    if (sites.size() < 2) continue;
    ExpectExactCells({screen, sites}, "lattice " + std::to_string(int(lattice)) + " seed " + std::to_string(seed), 1e-6);
    if (HasFatalFailure()) return;
  }
}

// A random set and one to three sites a hair from its sites, or exact copies
// of them, placed anywhere in the order; the cells of such a group together
// must be the one site's cell, and an exact copy later in the order gets
// nothing.
TEST(VoronoiOracle, SitesAHairApartAndExactCopiesShareOneCell) {
  for (unsigned seed = 1; seed <= 200; ++seed) {
    std::mt19937 rng(seed);
    const ScreenSize screen = kScreens[seed % std::size(kScreens)];
    const auto base = RandomSites(rng, screen, std::uniform_int_distribution<int>(2, 45)(rng), testing::kSiteGrid);
    SharedCellScenario scenario{screen, base, base, {}};
    for (std::size_t n = 0; n < base.size(); ++n) scenario.owner.push_back(n);
    const int gap = static_cast<int>(seed % 4);  // 1e-6 px, 1e-9 px, one double step, or an exact copy
    // In every other set the extra sites gather about one site: three or four
    // sites a hair apart meet at a vertex on their own positions.
    const std::size_t gathering = seed % 8 < 4 ? rng() % base.size() : base.size();
    for (int extra = 1 + static_cast<int>(rng() % 3); extra > 0; --extra) {
      const std::size_t owner = gathering < base.size() ? gathering : rng() % base.size();
      const double dx = std::uniform_int_distribution<int>(-1, 1)(rng);
      const double dy = dx == 0 ? 1 : std::uniform_int_distribution<int>(-1, 1)(rng);
      const ReferencePoint b = base[owner];
      const double sign = b.x + dx >= screen.widthPx || b.y + dy >= screen.heightPx ? -1.0 : 1.0;
      const auto shifted = [&](double c, double d) {
        if (d == 0 || gap == 3) return c;
        return gap == 2 ? std::nextafter(c, c + sign * d) : c + sign * d * (gap == 0 ? 1e-6 : 1e-9);
      };
      ReferencePoint p{shifted(b.x, dx), shifted(b.y, dy)};
      if (p.x < 0 || p.y < 0) p = b;
      const long at = static_cast<long>(rng() % (scenario.sites.size() + 1));
      scenario.sites.insert(scenario.sites.begin() + at, p);
      scenario.owner.insert(scenario.owner.begin() + at, owner);
    }
    const std::string label = "gap " + std::to_string(gap) + " seed " + std::to_string(seed);
    ExpectSharedCellAreas(scenario, label);
    if (HasFatalFailure()) return;
  }
}

// Whether `sides` holds s: the same sites, and the same ends, in either order,
// to within the vertex limit.
bool Holds(const std::vector<Side>& sides, const Side& s) {
  const auto near = [](ReferencePoint p, ReferencePoint q) { return std::hypot(p.x - q.x, p.y - q.y) < 1e-6; };
  return std::any_of(sides.begin(), sides.end(), [&](const Side& t) {
    return t.i == s.i && t.k == s.k && ((near(t.a, s.a) && near(t.b, s.b)) || (near(t.a, s.b) && near(t.b, s.a)));
  });
}

// Every side of a reference cell that lies on a bisector and is longer than
// the vertex limit is drawn as that pair's edge; every edge drawn that long
// is such a side.
void ExpectEdgesLike(const std::vector<Side>& ours, const std::vector<testing::TaggedCell>& reference,
                     const std::string& label) {
  std::vector<Side> sides;
  for (std::size_t n = 0; n < reference.size(); ++n) {
    const auto& polygon = reference[n].polygon;
    for (std::size_t v = 0; v < polygon.size(); ++v) {
      const int k = reference[n].sideSite[v] + 1;
      if (k > 0) sides.push_back({static_cast<int>(n) + 1, k, polygon[v], polygon[(v + 1) % polygon.size()]});
    }
  }
  const auto longEnough = [](const Side& s) { return std::hypot(s.a.x - s.b.x, s.a.y - s.b.y) >= 1e-6; };
  for (const Side& s : sides) {
    if (!longEnough(s)) continue;
    EXPECT_TRUE(Holds(ours, s)) << label << ": no edge (" << s.i << ", " << s.k << ")" << Describe({s.a, s.b});
  }
  for (const Side& s : ours) {
    if (!longEnough(s)) continue;
    EXPECT_TRUE(Holds(sides, s)) << label << ": edge (" << s.i << ", " << s.k << ")" << Describe({s.a, s.b})
                                 << " is no side of the cells";
  }
}

// Sites at the extremes of the number range, against exact cells clipped by
// half-planes: a double step (or 1e-300, or 1e-170 px) apart next to
// coordinate 0, where their squared distance underflows; and, on the largest
// screens, detail finer than a ten-billionth of the screen, where merging cuts
// or snapping onto the border could take away a vertex or an edge.
TEST(VoronoiOracle, ExtremeCoordinatesGiveExactCellsAndEdges) {
  std::vector<std::pair<std::string, Scenario>> cases = {
      {"four nearly on a circle, edge 1.3e-6 px long, 16384 px",
       {{16384, 16384}, {{8000, 8000}, {8100, 8000}, {8050, 7950}, {8050, 8050.0000013}}}},
      {"the same, 10000 x 16384 px",
       {{10000, 16384}, {{8000, 8000}, {8100, 8000}, {8050, 7950}, {8050, 8050.0000013}}}},
      {"bisector 5e-6 px from the top-left corner, 16384 px",
       {{16384, 16384}, {{10, 5e-6}, {0, 10.000005}, {9000, 9000}}}},
      {"bisector 5e-6 px from the bottom-right corner, 16384 px",
       {{16384, 16384}, {{16374, 16384 - 5e-6}, {16378, 16376 - 5e-6}, {9000, 9000}}}},
      // Found by the sites fuzzer: a bisector of slope 1e157 cuts a notch at the
      // corner, and the far border vertices lie in one direction from the site.
      {"steep bisector, 1e-160 by 5001e-320", {{1920, 1080}, {{0, 0}, {1e-160, 5001e-320}}}},
      {"steep bisector, 1e-160 by 1e-317", {{1920, 1080}, {{0, 0}, {1e-160, 1e-317}}}},
      {"steep bisector, 1e-150 by 1e-300", {{1920, 1080}, {{0, 0}, {1e-150, 1e-300}}}},
      {"steep bisector, three at the origin, 1 x 16384 px", {{1, 16384}, {{1e-160, 464e-324}, {0, 0}, {1e-320, 0}}}},
      // Clusters a few double steps apart, whose cells rounded decisions got wrong.
      {"five a few steps apart mid-screen, 1366 x 768",
       {{1366, 768},
        {{125.99923640933723, 677.0213001548244}, {125.99923640933726, 677.0213001548246},
         {125.99923640933726, 677.0213001548245}, {125.99923640933721, 677.0213001548243},
         {125.9992364093372, 677.0213001548242}}}},
      {"four a few steps apart and three far, 64 x 48",
       {{64, 48},
        {{26.61610988286464, 2.164532008471478}, {26.61610988286463, 2.1645320084714763},
         {26.616109882864645, 2.164532008471478}, {26.616109882864638, 2.1645320084714763},
         {46.402834716037724, 20.91624401292926}, {59.64816286936718, 28.029034069002655},
         {33.98234594299514, 20.347439674584464}}}},
      {"six near 1e-142 and 1e-285 at the origin, 16384 px",
       {{16384, 16384},
        {{8e-142, 4.59e-285}, {7.000000000000001e-284, 6.61e-285}, {4e-142, 0}, {1e-142, 0},
         {0, 9.220000000000001e-285}, {0, 4.9e-285}}}},
      // Sites sharing an x up to a few steps, their y tiny: a vertex was
      // reported 12,288 px from the exact cell's.
      {"sharing x, y tiny, 16384 px",
       {{16384, 16384}, {{8192.000000000002, 1e-323}, {8192, 0}, {8192, 5e-324}, {8192.000000000002, 8191.999999999999}}}},
      // The slowest files tests/oracle/hard_files.py search --sites 12 found.
      {"hard_files shared, 16384 px",
       {{16384, 16384},
        {{8192.0, 1.1830521861667747e-271}, {8192.000000000004, 8192.000000000002}, {1.5e-323, 16383.000000000002},
         {16382.999999999996, 16382.999999999996}, {1e-323, 16383.000000000004}, {16383.0, 1.424047269444609e-306},
         {16382.999999999998, 2.121995791e-314}, {1.5e-323, 1.5e-323}, {2e-323, 0.0},
         {8192.000000000002, 8191.999999999997}, {1e-323, 16383.0}, {1.5e-323, 5.43230922487e-312}}}},
      {"hard_files powers, 16384 px",
       {{16384, 16384},
        {{8191.999999999998, 16383.0}, {8192.000000000002, 6.886270049533197e-282}, {16383.0, 16383.000000000002},
         {16383.999999999996, 16383.0}, {1.1392378155556876e-305, 16382.999999999998},
         {8.280421605278097e-171, 8191.999999999999}, {16382.999999999998, 8192.000000000002},
         {8192.000000000002, 16383.0}, {16383.000000000004, 16383.000000000004},
         {8192.000000000002, 1.0587911840678754e-22}, {8192.000000000004, 4.364692180812215e-252},
         {1.7705294921017813e-220, 8192.0}}}},
  };
  for (const double gap : {1e-300, 5e-324, 1e-170}) {
    char g[16];
    std::snprintf(g, sizeof g, "%g", gap);
    const auto add = [&](const std::string& what, std::vector<ReferencePoint> sites) {
      cases.push_back({what + " " + g + " px apart", {{800, 600}, std::move(sites)}});
    };
    add("in x at the origin", {{0, 0}, {gap, 0}, {400, 300}, {700, 500}});
    add("in y at the origin", {{0, 0}, {0, gap}, {400, 300}});
    add("in x at the origin, the outer first", {{gap, 0}, {0, 0}, {400, 300}, {700, 500}});
    add("in x on the left border", {{0, 300}, {gap, 300}, {400, 100}, {600, 500}});
    add("in y on the top border", {{400, gap}, {400, 0}, {100, 400}, {700, 300}});
    add("three at the origin", {{0, 0}, {gap, 0}, {0, gap}, {400, 300}, {100, 500}});
    // The outer site's edge with the middle one crosses the screen within a
    // length that counts as one point.
    add("three on a slant at the origin", {{0, 0}, {3 * gap, 2 * gap}, {gap, gap}, {400, 300}, {100, 500}});
    add("four at the origin", {{0, 0}, {3 * gap, 2 * gap}, {gap, gap}, {2 * gap, 3 * gap}, {400, 300}, {100, 500}});
  }
  for (const auto& [label, scenario] : cases) {
    std::vector<Side> edges;
    const auto tables = Build(scenario, &edges);
    const auto reference = testing::HalfPlaneCells(scenario.sites, scenario.screen);
    std::vector<std::vector<ReferencePoint>> polygons;
    std::vector<double> areas;
    for (const auto& cell : reference) polygons.push_back(cell.polygon), areas.push_back(cell.area.convert_to<double>());
    ExpectCellsLike(scenario, *tables, polygons, label, 1e-9, &areas);
    ExpectEdgesLike(edges, reference, label);
  }
}

// Screens one pixel high or wide: every fan triangle is a sliver.
TEST(VoronoiOracle, FlatScreensGiveExactCells) {
  for (unsigned seed = 1; seed <= 40; ++seed) {
    std::mt19937 rng(seed);
    const ScreenSize screen = seed % 2 ? ScreenSize{16384, 1} : ScreenSize{1, 16384};
    const int count = std::uniform_int_distribution<int>(4, 49)(rng);
    ExpectExactCells({screen, RandomSites(rng, screen, count, testing::kSiteGrid)}, "flat seed " + std::to_string(seed),
                     1e-6);
    if (HasFatalFailure()) return;
  }
}

}  // namespace
}  // namespace pelmic
