// SPDX-License-Identifier: MIT
#include "geometry/edge_piece.h"

#include <gtest/gtest.h>

#include "geometry/pair_work.h"
#include "geometry/site_tables.h"

namespace pelmic {
namespace {

constexpr ScreenSize kScreen{800, 600};

std::optional<Edge> EdgeOf(DiagramTables& tables, int i, int k) {
  PairBisector line;
  if (!BuildPairCuts(tables.sites, i, k, kScreen, line, tables.cuts)) return std::nullopt;
  return FindEdgePiece(tables.sites, i, k, line, tables.cuts, kScreen);
}

TEST(EdgePiece, PicksThePieceWhoseMidpointNoOtherSiteIsNearerTo) {
  // The first piece's probe (88.3974, 373.2051) is nearer to m than to i.
  auto tables = testing::TablesWithSites({{100, 100}, {300, 200}, {110, 300}});
  const auto edge = EdgeOf(*tables, 1, 2);
  ASSERT_TRUE(edge);
  EXPECT_NEAR(edge->x1, 176.7949, 1e-4);
  EXPECT_NEAR(edge->y1, 196.4103, 1e-4);
  EXPECT_NEAR(edge->x2, 275, 1e-9);
  EXPECT_NEAR(edge->y2, 0, 1e-9);
}

TEST(EdgePiece, TheThreePairsMeetAtOneVertex) {
  auto tables = testing::TablesWithSites({{100, 100}, {300, 200}, {110, 300}});
  for (auto [i, k] : {std::pair{1, 3}, std::pair{2, 3}}) {
    const auto edge = EdgeOf(*tables, i, k);
    ASSERT_TRUE(edge) << i << "," << k;
    const bool firstEnd = std::abs(edge->x1 - 176.7949) < 1e-4 && std::abs(edge->y1 - 196.4103) < 1e-4;
    const bool secondEnd = std::abs(edge->x2 - 176.7949) < 1e-4 && std::abs(edge->y2 - 196.4103) < 1e-4;
    EXPECT_TRUE(firstEnd || secondEnd) << i << "," << k;
  }
}

TEST(EdgePiece, AWholeSegmentWithoutCrossingsIsOnePiece) {
  auto tables = testing::TablesWithSites({{100, 100}, {300, 200}});
  const auto edge = EdgeOf(*tables, 1, 2);
  ASSERT_TRUE(edge);
  EXPECT_DOUBLE_EQ(edge->x1, 0);
  EXPECT_DOUBLE_EQ(edge->y1, 550);
  EXPECT_DOUBLE_EQ(edge->x2, 275);
}

TEST(EdgePiece, NoPieceWhenEveryMidpointHasANearerSite) {
  // Site 3 sits between 1 and 2, so the cells of 1 and 2 never touch.
  auto tables = testing::TablesWithSites({{100, 300}, {700, 300}, {400, 300}});
  EXPECT_FALSE(EdgeOf(*tables, 1, 2));
}

TEST(EdgePiece, AVertexSharedByFourSitesDoesNotReplaceTheEdge) {
  // Four sites on a circle about (400, 300): the bisector of 3 and 4 is cut
  // twice at the centre, leaving a piece of length zero there ahead of the
  // edge. The edge of 3 and 4 still runs from the centre to the bottom border.
  auto tables = testing::TablesWithSites({{300, 200}, {500, 200}, {300, 400}, {500, 400}});
  const auto edge = EdgeOf(*tables, 3, 4);
  ASSERT_TRUE(edge);
  EXPECT_DOUBLE_EQ(edge->x1, 400);
  EXPECT_DOUBLE_EQ(edge->y1, 300);
  EXPECT_DOUBLE_EQ(edge->x2, 400);
  EXPECT_DOUBLE_EQ(edge->y2, 600);
}

TEST(EdgePiece, PairWorkRecordsBothEndsInTheCellOfI) {
  auto tables = testing::TablesWithSites({{100, 100}, {300, 200}, {110, 300}});
  tables->cells.ResetCell(0);
  ASSERT_TRUE(DoPairWork(*tables, 1, 2, kScreen));
  EXPECT_EQ(tables->cells.VertexCount(0), 2);
  EXPECT_NEAR(tables->cells.X(0, 0), 176.7949, 1e-4);
  EXPECT_EQ(tables->cells.X(0, 1), 275);
  EXPECT_EQ(tables->cells.VertexCount(1), 0) << "only the cell of i changes";
}

}  // namespace
}  // namespace pelmic
