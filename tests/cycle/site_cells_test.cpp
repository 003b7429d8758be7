// SPDX-License-Identifier: MIT
#include "cycle/site_cells.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <utility>
#include <vector>

#include "area/area_label.h"

namespace pelmic {
namespace {

struct DrawnEdge {
  int i, k;
  Edge edge;
};

struct Diagram {
  std::unique_ptr<DiagramTables> tables = std::make_unique<DiagramTables>();
  std::vector<DrawnEdge> edges;
};

Diagram BuildDiagram(const std::vector<std::pair<double, double>>& sites, ScreenSize screen) {
  Diagram diagram;
  for (const auto& [x, y] : sites) {
    diagram.tables->sites.siteX.at(diagram.tables->sites.siteCount) = x;
    diagram.tables->sites.siteY.at(diagram.tables->sites.siteCount) = y;
    ++diagram.tables->sites.siteCount;
  }
  BuildAllCells(*diagram.tables, screen,
                [&diagram](int i, int k, const Edge& edge) { diagram.edges.push_back({i, k, edge}); });
  return diagram;
}

// The diagram with a copy of site `copied` inserted as site `copy` must be
// the diagram without it, site for site and edge for edge; the later of the
// two copies gets nothing. (An owner that moved up in the order meets its
// edges in another order, so shared vertices may keep another of their
// readings, a rounding apart.)
void ExpectCopyChangesNothing(const std::vector<std::pair<double, double>>& sites, int copied, int copy,
                              ScreenSize screen) {
  std::vector<std::pair<double, double>> withCopy = sites;
  withCopy.insert(withCopy.begin() + (copy - 1), sites.at(static_cast<std::size_t>(copied - 1)));
  const Diagram without = BuildDiagram(sites, screen);
  const Diagram with = BuildDiagram(withCopy, screen);
  const auto renumbered = [copy](int n) { return n >= copy ? n + 1 : n; };
  const int later = std::max(copy, renumbered(copied));
  // Where site n of the set without the copy is in the set with it.
  const auto where = [&](int n) { return n == copied && later == renumbered(copied) ? copy : renumbered(n); };
  EXPECT_EQ(with.tables->cellArea.at(later - 1), 0);
  EXPECT_EQ(with.tables->cells.VertexCount(later - 1), 0);
  for (int n = 1; n <= static_cast<int>(sites.size()); ++n) {
    const double area = without.tables->cellArea.at(n - 1);
    EXPECT_NEAR(with.tables->cellArea.at(where(n) - 1), area, 1e-9 * area) << "site " << n;
  }
  ASSERT_EQ(with.edges.size(), without.edges.size());
  for (const DrawnEdge& b : without.edges) {
    const auto a = std::find_if(with.edges.begin(), with.edges.end(),
                                [&](const DrawnEdge& e) { return e.i == where(b.i) && e.k == where(b.k); });
    ASSERT_NE(a, with.edges.end()) << "edge " << b.i << "," << b.k;
    EXPECT_NEAR(a->edge.x1, b.edge.x1, 1e-9);
    EXPECT_NEAR(a->edge.y1, b.edge.y1, 1e-9);
    EXPECT_NEAR(a->edge.x2, b.edge.x2, 1e-9);
    EXPECT_NEAR(a->edge.y2, b.edge.y2, 1e-9);
  }
}

TEST(SiteCell, ALaterCopyOfASiteHasNoCellAndChangesNoOtherCell) {
  const ScreenSize screen{800, 600};
  // Sites 1 and 2 coincide: site 3's cell reaches over to site 1.
  const Diagram example = BuildDiagram({{100, 100}, {100, 100}, {400, 300}, {700, 500}}, screen);
  EXPECT_EQ(AreaLabelValue(example.tables->cellArea.at(2)), 259583);
  EXPECT_EQ(example.tables->cellArea.at(1), 0);
  int edgesOfThreeWithOne = 0;
  for (const DrawnEdge& e : example.edges) edgesOfThreeWithOne += e.i == 3 && e.k == 1;
  EXPECT_EQ(edgesOfThreeWithOne, 1);
  ExpectCopyChangesNothing({{100, 100}, {400, 300}, {700, 500}}, 1, 2, screen);

  for (unsigned seed = 1; seed <= 60; ++seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> x(0, 800), y(0, 600);
    std::vector<std::pair<double, double>> sites(std::uniform_int_distribution<std::size_t>(3, 48)(rng));
    for (auto& site : sites) site = {x(rng), y(rng)};
    const int copied = std::uniform_int_distribution<int>(1, static_cast<int>(sites.size()))(rng);
    const int copy = std::uniform_int_distribution<int>(1, static_cast<int>(sites.size()) + 1)(rng);
    SCOPED_TRACE("seed " + std::to_string(seed));
    ExpectCopyChangesNothing(sites, copied, copy, screen);
    if (HasFailure()) return;
  }
}

}  // namespace
}  // namespace pelmic
