// SPDX-License-Identifier: MIT
#include "geometry/pair_bisector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <utility>

#include "geometry/dyadic.h"
#include "geometry/precise_bounded.h"

#include "geometry/site_tables.h"

namespace pelmic {
namespace {

constexpr ScreenSize kScreen{800, 600};

struct CutPoint {
  double x, y;
};

// The cut's drawn point; the tests' pairs are sites 1 and 2.
CutPoint Cut(const DiagramTables& tables, const PairBisector& line, int slot) {
  const ResolvedPoint p =
      ResolvePoint(tables.sites, 1, 2, line, MakePlace(line.frame, tables.cuts.cutPlace.at(slot)), kScreen);
  return {p.x, p.y};
}

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
  EXPECT_POINT_NEAR(Cut(*tables, line, 0), 0, 550);  // enters on the left border
  EXPECT_POINT_NEAR(Cut(*tables, line, 1), 275, 0);  // leaves through the top
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
  EXPECT_POINT_NEAR(Cut(*tables, line, 0), 0, 550);
  EXPECT_POINT_NEAR(Cut(*tables, line, 1), 176.7949, 196.4103);
  EXPECT_POINT_NEAR(Cut(*tables, line, 2), 275, 0);
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
  EXPECT_POINT_NEAR(Cut(*sameY, line, 0), 400, 0);
  EXPECT_POINT_NEAR(Cut(*sameY, line, 1), 400, 600);
  // Same x: a horizontal bisector at y = 200.
  auto sameX = testing::TablesWithSites({{300, 100}, {300, 300}});
  ASSERT_TRUE(BuildPairCuts(sameX->sites, 1, 2, kScreen, line, sameX->cuts));
  EXPECT_POINT_NEAR(Cut(*sameX, line, 0), 0, 200);
  EXPECT_POINT_NEAR(Cut(*sameX, line, 1), 800, 200);
}

TEST(PairBisector, BorderEndsLieExactlyOnTheBorder) {
  auto tables = testing::TablesWithSites({{123.456f, 77.7f}, {501.25f, 402.125f}});
  PairBisector line;
  ASSERT_TRUE(BuildPairCuts(tables->sites, 1, 2, kScreen, line, tables->cuts));
  for (int slot : {0, 1}) {
    const CutPoint p = Cut(*tables, line, slot);
    EXPECT_TRUE(p.x == 0 || p.x == 800 || p.y == 0 || p.y == 600) << p.x << "," << p.y;
  }
}

TEST(PairBisector, CoincidentSitesHaveNoEdge) {
  auto tables = testing::TablesWithSites({{200, 200}, {200, 200}, {400, 300}});
  PairBisector line;
  EXPECT_FALSE(BuildPairCuts(tables->sites, 1, 2, kScreen, line, tables->cuts));
}

// Where the bounded crossing, or the precise middle stage, claims a sign, it
// is the exact one: third sites nearly in line with the pair (den near 0) or
// on the circle over it (num near 0), at sizes where products stay normal
// and where they underflow. The precise stage settles signs the doubles leave open.
TEST(PairBisector, BoundedCrossingSignsAreTheExactOnes) {
  std::mt19937_64 rng(26);
  std::uniform_real_distribution<double> at(0, 1366), turn(0, 6.283185307179586);
  const auto known = [](const Bounded& b) { return b.SignKnown() ? (b.v > 0 ? 1 : -1) : 0; };
  int preciseOnly = 0;
  for (const double scale : {1.0, 0x1p-530, 0x1p-545}) {
    for (int n = 0; n < 40000; ++n) {
      const double ix = at(rng), iy = at(rng), kx = at(rng), ky = at(rng), t = turn(rng), r = std::hypot(kx - ix, ky - iy) / 2;
      const double mx = n % 2 ? ix + t * (kx - ix) : (ix + kx) / 2 + r * std::cos(t);
      const double my = n % 2 ? iy + t * (ky - iy) : (iy + ky) / 2 + r * std::sin(t);
      const PairFrame f(ix * scale, iy * scale, kx * scale, ky * scale);
      const LinePlace m{LinePlace::Kind::kCrossing, mx * scale, my * scale};
      const auto fast = PlaceFraction<Bounded>(f, m);
      const auto precise = PlaceFraction<PreciseBounded>(f, m);
      const auto exact = PlaceFraction<Dyadic>(f, m);
      preciseOnly += (known(fast.den) == 0 && precise.den.KnownSign() != 0);
      for (const auto& [claimed, sign] : {std::pair{known(fast.num), exact.num.sign()}, {known(fast.den), exact.den.sign()},
                                          {precise.num.KnownSign(), exact.num.sign()}, {precise.den.KnownSign(), exact.den.sign()}}) {
        if (claimed != 0) {
          ASSERT_EQ(claimed, sign) << n << " at scale " << scale;
        }
      }
    }
  }
  EXPECT_GT(preciseOnly, 0);
}

}  // namespace
}  // namespace pelmic
