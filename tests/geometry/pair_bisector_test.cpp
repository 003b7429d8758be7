// SPDX-License-Identifier: MIT
#include "geometry/pair_bisector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "geometry/dyadic.h"

#include "geometry/site_tables.h"

namespace pelmic {
namespace {

constexpr ScreenSize kScreen{800, 600};

struct CutPoint {
  double x, y;
};

CutPoint Cut(const CutList& cuts, int slot) { return {cuts.cutX.at(slot), cuts.cutY.at(slot)}; }

#define EXPECT_POINT_NEAR(point, ex, ey)        \
  do {                                          \
    EXPECT_NEAR((point).x, (ex), 1e-4);         \
    EXPECT_NEAR((point).y, (ey), 1e-4);         \
  } while (0)

TEST(PairBisector, ClipsTheBisectorToTheScreen) {
  auto tables = testing::TablesWithSites({{100, 100}, {300, 200}});
  PairBisector line;
  ASSERT_TRUE(BuildPairCuts(tables->sites, 1, 2, kScreen, line, tables->cuts));
  EXPECT_NEAR(line.pairDist, 223.6068, 1e-4);
  ASSERT_EQ(tables->cuts.cutCount, 2);
  EXPECT_POINT_NEAR(Cut(tables->cuts, 0), 0, 550);  // enters on the left border
  EXPECT_POINT_NEAR(Cut(tables->cuts, 1), 275, 0);  // leaves through the top
}

TEST(PairBisector, ANearerSiteInTheSameQuadrantHidesThePair) {
  auto tables = testing::TablesWithSites({{100, 100}, {300, 200}, {150, 120}});
  PairBisector line;
  EXPECT_FALSE(BuildPairCuts(tables->sites, 1, 2, kScreen, line, tables->cuts));
}

TEST(PairBisector, ACrossingBisectorAddsItsCutPoint) {
  auto tables = testing::TablesWithSites({{100, 100}, {300, 200}, {110, 300}});
  PairBisector line;
  ASSERT_TRUE(BuildPairCuts(tables->sites, 1, 2, kScreen, line, tables->cuts));
  ASSERT_EQ(tables->cuts.cutCount, 3);
  EXPECT_POINT_NEAR(Cut(tables->cuts, 0), 0, 550);
  EXPECT_POINT_NEAR(Cut(tables->cuts, 1), 176.7949, 196.4103);
  EXPECT_POINT_NEAR(Cut(tables->cuts, 2), 275, 0);
}

TEST(PairBisector, ASiteInAnotherQuadrantNeverHidesThePair) {
  // (90, 95) is nearer to i than k is, but up and left of i while k is down and right.
  auto tables = testing::TablesWithSites({{100, 100}, {300, 200}, {90, 95}});
  PairBisector line;
  EXPECT_TRUE(BuildPairCuts(tables->sites, 1, 2, kScreen, line, tables->cuts));
  EXPECT_EQ(tables->cuts.cutCount, 2);
}

TEST(PairBisector, HandlesSitesThatShareACoordinate) {
  PairBisector line;
  // Same y: a vertical bisector at x = 400, running top to bottom.
  auto sameY = testing::TablesWithSites({{300, 250}, {500, 250}});
  ASSERT_TRUE(BuildPairCuts(sameY->sites, 1, 2, kScreen, line, sameY->cuts));
  EXPECT_POINT_NEAR(Cut(sameY->cuts, 0), 400, 0);
  EXPECT_POINT_NEAR(Cut(sameY->cuts, 1), 400, 600);
  // Same x: a horizontal bisector at y = 200.
  auto sameX = testing::TablesWithSites({{300, 100}, {300, 300}});
  ASSERT_TRUE(BuildPairCuts(sameX->sites, 1, 2, kScreen, line, sameX->cuts));
  EXPECT_POINT_NEAR(Cut(sameX->cuts, 0), 0, 200);
  EXPECT_POINT_NEAR(Cut(sameX->cuts, 1), 800, 200);
}

TEST(PairBisector, BorderEndsLieExactlyOnTheBorder) {
  auto tables = testing::TablesWithSites({{123.456f, 77.7f}, {501.25f, 402.125f}});
  PairBisector line;
  ASSERT_TRUE(BuildPairCuts(tables->sites, 1, 2, kScreen, line, tables->cuts));
  for (int slot : {0, 1}) {
    const CutPoint p = Cut(tables->cuts, slot);
    EXPECT_TRUE(p.x == 0 || p.x == 800 || p.y == 0 || p.y == 600) << p.x << "," << p.y;
  }
}

TEST(PairBisector, CoincidentSitesHaveNoEdge) {
  auto tables = testing::TablesWithSites({{200, 200}, {200, 200}, {400, 300}});
  PairBisector line;
  EXPECT_FALSE(BuildPairCuts(tables->sites, 1, 2, kScreen, line, tables->cuts));
}

// Where the bounded crossing claims a sign, it is the exact one: sites a few
// double steps apart, mid-screen and where products leave the normal range.
TEST(PairBisector, BoundedCrossingSignsAreTheExactOnes) {
  std::mt19937_64 rng(26);
  for (const double base : {677.0213001548244, 4.59e-285, 1e-160, 0.0}) {
    const double step = std::nextafter(base, 1.0) - base;
    const auto near = [&](int reach) { return base + step * double(rng() % reach); };
    for (int n = 0; n < 20000; ++n) {
      const PairFrame f(near(3), near(3), near(3), near(3));
      const LinePlace m{LinePlace::Kind::kCrossing, near(n % 2 ? 3 : 1 << 20), near(3)};
      const auto fast = PlaceFraction<Bounded>(f, m);
      const auto exact = PlaceFraction<Dyadic>(f, m);
      if (fast.num.SignKnown()) {
        ASSERT_EQ(fast.num.v > 0 ? 1 : -1, exact.num.sign()) << n;
      }
      if (fast.den.SignKnown()) {
        ASSERT_EQ(fast.den.v > 0 ? 1 : -1, exact.den.sign()) << n;
      }
    }
  }
}

}  // namespace
}  // namespace pelmic
