// SPDX-License-Identifier: MIT
#include "geometry/screen_corners.h"

#include <gtest/gtest.h>

#include "geometry/site_tables.h"

namespace pelmic {
namespace {

constexpr ScreenSize kScreen{800, 600};

TEST(ScreenCorners, EachCornerGoesToItsNearestSite) {
  auto tables = testing::TablesWithSites({{700, 500}, {100, 100}, {700, 100}, {100, 500}});
  const CornerSites corners = FindCornerSites(tables->sites, kScreen);
  EXPECT_EQ(corners.cornerSiteTL, 1);
  EXPECT_EQ(corners.cornerSiteTR, 2);
  EXPECT_EQ(corners.cornerSiteBL, 3);
  EXPECT_EQ(corners.cornerSiteBR, 0);
}

TEST(ScreenCorners, ATieGoesToTheLowerSlot) {
  auto tables = testing::TablesWithSites({{400, 300}, {300, 400}, {400, 300}});
  EXPECT_EQ(NearestSiteSlot(tables->sites, 0, 0, kFirstCornerSearchStart), 0);
  EXPECT_EQ(NearestSiteSlot(tables->sites, 800, 600, kCornerSearchStart), 0);
}

TEST(ScreenCorners, AreAppendedInCornerOrderWithoutDuplicateTest) {
  // The only site near the left border owns both left corners.
  auto tables = testing::TablesWithSites({{50, 300}, {700, 100}, {700, 500}});
  tables->corners = FindCornerSites(tables->sites, kScreen);
  tables->cells.ResetCell(0);
  tables->cells.AddCellVertex(0, 0, 0, 50, 300);  // an edge end already on the corner
  AddScreenCorners(tables->sites, tables->corners, 1, kScreen, tables->cells);
  ASSERT_EQ(tables->cells.VertexCount(0), 3);
  EXPECT_EQ(tables->cells.Y(0, 1), 0);
  EXPECT_EQ(tables->cells.Y(0, 2), 600);
  tables->cells.ResetCell(2);
  AddScreenCorners(tables->sites, tables->corners, 3, kScreen, tables->cells);
  ASSERT_EQ(tables->cells.VertexCount(2), 1);
  EXPECT_EQ(tables->cells.X(2, 0), 800);
  EXPECT_EQ(tables->cells.Y(2, 0), 600);
}

}  // namespace
}  // namespace pelmic
