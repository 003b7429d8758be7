// SPDX-License-Identifier: MIT
#include "geometry/cell_vertex_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "geometry/numeric.h"

namespace pelmic {
namespace {

TEST(AngleAboutSite, RunsCounterClockwiseFromStraightUp) {
  const double sx = 100, sy = 100;
  EXPECT_EQ(AngleAboutSite(50, 100, sx, sy), 1.570796326794895);   // left
  EXPECT_EQ(AngleAboutSite(150, 100, sx, sy), 4.712388980384685);  // right
  EXPECT_NEAR(AngleAboutSite(50, 50, sx, sy), kPi / 4, 1e-12);     // up-left
  EXPECT_NEAR(AngleAboutSite(50, 150, sx, sy), 3 * kPi / 4, 1e-12);
  EXPECT_NEAR(AngleAboutSite(150, 150, sx, sy), 5 * kPi / 4, 1e-12);
  EXPECT_NEAR(AngleAboutSite(150, 50, sx, sy), 7 * kPi / 4, 1e-12);
}

TEST(AngleAboutSite, IsDefinedStraightAboveBelowAndOnTheSite) {
  EXPECT_EQ(AngleAboutSite(100, 20, 100, 100), 0.0);
  EXPECT_EQ(AngleAboutSite(100, 180, 100, 100), kPi);
  EXPECT_EQ(AngleAboutSite(100, 100, 100, 100), 0.0);
  // A hair right of straight up comes last, not first.
  EXPECT_GT(AngleAboutSite(100.000001, 20, 100, 100), 6.28);
  // So tiny a step that the radius equals |dy|: still ordered, still finite.
  EXPECT_LE(AngleAboutSite(100 + 1e-13, 20, 100, 100), 2 * kPi + 1e-9);
}

class CellVertexTableTest : public ::testing::Test {
 protected:
  std::unique_ptr<CellVertexTable> cells = std::make_unique<CellVertexTable>();
};

TEST_F(CellVertexTableTest, AnEmptyCellHoldsNoVertex) {
  cells->ResetCell(3);
  EXPECT_FALSE(cells->IsCellVertex(3, 0, 0, 1, 1));
}

TEST_F(CellVertexTableTest, AppendsInOrderWithTheirAngles) {
  cells->ResetCell(0);
  cells->AddCellVertex(0, 150, 100, 100, 100);
  cells->AddCellVertex(0, 50, 100, 100, 100);
  ASSERT_EQ(cells->VertexCount(0), 2);
  EXPECT_EQ(cells->X(0, 0), 150);
  EXPECT_EQ(cells->Angle(0, 0), kThreeHalfPi);
  EXPECT_EQ(cells->X(0, 1), 50);
  EXPECT_EQ(cells->Angle(0, 1), kHalfPi);
}

TEST_F(CellVertexTableTest, SameVertexExactlyWhereTheExactPointsAreOne) {
  using Kind = LinePlace::Kind;
  cells->ResetCell(0);
  // Site (0, 0): the bisector with (10, 0) is crossed at (5, 5) by the
  // bisectors with (0, 10) and with (10, 10), four sites on one circle.
  cells->AddCellVertex(0, 5, 5, 0, 0, {10, 0, {Kind::kCrossing, 0, 10}});
  EXPECT_TRUE(cells->IsCellVertex(0, 5 + 1e-13, 5, 0, 0, {10, 0, {Kind::kCrossing, 10, 10}}));
  EXPECT_TRUE(cells->IsCellVertex(0, 5, 5, 0, 0, {0, 10, {Kind::kCrossing, 10, 0}}));  // from the other pair
  // One double step off the circle is a vertex of its own, however close.
  EXPECT_FALSE(cells->IsCellVertex(0, 5, 5, 0, 0, {10, 0, {Kind::kCrossing, 10, std::nextafter(10.0, 11.0)}}));
  EXPECT_FALSE(cells->IsCellVertex(0, 5, std::nextafter(5.0, 6.0), 0, 0));
  EXPECT_TRUE(cells->IsCellVertex(0, 5, 5, 0, 0));
}

TEST_F(CellVertexTableTest, ResetForgetsTheCellButNotOthers) {
  cells->ResetCell(0);
  cells->ResetCell(1);
  cells->AddCellVertex(0, 1, 1, 0, 0);
  cells->AddCellVertex(1, 2, 2, 0, 0);
  cells->ResetCell(0);
  EXPECT_EQ(cells->VertexCount(0), 0);
  EXPECT_FALSE(cells->IsCellVertex(0, 1, 1, 0, 0));
  EXPECT_TRUE(cells->IsCellVertex(1, 2, 2, 0, 0));
}

TEST_F(CellVertexTableTest, RefusesToWritePastItsSlots) {
  cells->ResetCell(0);
  for (int v = 0; v < kVertexSlots; ++v) cells->AddCellVertex(0, v, 0, 0, 0);
  EXPECT_THROW(cells->AddCellVertex(0, 1, 1, 0, 0), std::out_of_range);
  EXPECT_THROW(cells->ResetCell(kVertexSlots), std::out_of_range);
}

}  // namespace
}  // namespace pelmic
