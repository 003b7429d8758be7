// SPDX-License-Identifier: MIT
#include "area/cell_area.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <utility>

#include "area/angular_order.h"

namespace pelmic {
namespace {

// A cell of row 0 around (sx, sy) with the vertices in the order given.
std::unique_ptr<CellVertexTable> Cell(double sx, double sy, std::initializer_list<std::pair<double, double>> vertices) {
  auto cells = std::make_unique<CellVertexTable>();
  cells->ResetCell(0);
  for (const auto& [x, y] : vertices) cells->AddCellVertex(0, x, y, sx, sy);
  return cells;
}

TEST(CellArea, SquareIsFourFanTriangles) {
  auto cells = Cell(10, 10, {{0, 0}, {0, 20}, {20, 20}, {20, 0}});
  EXPECT_NEAR(ComputeCellArea(*cells, 0, 10, 10), 400, 1e-9);
}

TEST(CellArea, TriangleAreaDoesNotDependOnTheSitesPlace) {
  for (auto [sx, sy] : {std::pair{30.0, 20.0}, std::pair{10.0, 5.0}, std::pair{45.0, 8.0}}) {
    auto cells = Cell(sx, sy, {{0, 0}, {60, 0}, {30, 40}});
    OrderCellVertices(*cells, 0, sx, sy);
    EXPECT_NEAR(ComputeCellArea(*cells, 0, sx, sy), 1200, 1e-9) << sx << "," << sy;
  }
}

TEST(CellArea, DegenerateCellsOfZeroOneAndTwoVertices) {
  auto none = Cell(5, 5, {});
  EXPECT_EQ(ComputeCellArea(*none, 0, 5, 5), 0);
  auto one = Cell(5, 5, {{9, 8}});
  EXPECT_EQ(ComputeCellArea(*one, 0, 5, 5), 0);
  // Two vertices: the triangle counts once in the loop and once closing the fan.
  auto two = Cell(0, 0, {{10, 0}, {0, 10}});
  EXPECT_NEAR(ComputeCellArea(*two, 0, 0, 0), 100, 1e-9);
}

TEST(CellArea, FlatTrianglesKeepTheirAreaAndCollinearPointsGiveZero) {
  for (double t : {0.1, 1.0 / 3, 0.7, 12345.678}) {
    const double area = TriangleArea(0, 0, t, 3 * t, 2 * t, 6 * t);
    EXPECT_GE(area, 0);
    EXPECT_LT(area, 1e-6);
  }
  // A fan triangle of a cell on a screen one pixel high, either way up.
  EXPECT_NEAR(TriangleArea(13207, 0.525390625, 7680, 1, 2270, 1), 1283.818359375, 1e-12 * 1283.818359375);
  EXPECT_NEAR(TriangleArea(0.525390625, 13207, 1, 7680, 1, 2270), 1283.818359375, 1e-12 * 1283.818359375);
}

TEST(AngularOrder, SortsARowByAngleCarryingCoordinates) {
  // Edge ends first, then the top-left corner appended last.
  auto cells = Cell(100, 100, {{150, 100}, {100, 150}, {0, 0}});
  OrderCellVertices(*cells, 0, 100, 100);
  ASSERT_EQ(cells->VertexCount(0), 3);
  EXPECT_EQ(cells->X(0, 0), 0);    // pi/4, up-left
  EXPECT_EQ(cells->Y(0, 1), 150);  // pi, below
  EXPECT_EQ(cells->X(0, 2), 150);  // 3pi/2, right
  EXPECT_LT(cells->Angle(0, 0), cells->Angle(0, 1));
  EXPECT_LT(cells->Angle(0, 1), cells->Angle(0, 2));
}

TEST(AngularOrder, LeavesEmptyAndSingleRowsAlone) {
  auto none = Cell(0, 0, {});
  OrderCellVertices(*none, 0, 0, 0);
  EXPECT_EQ(none->VertexCount(0), 0);
  auto one = Cell(0, 0, {{3, 4}});
  OrderCellVertices(*one, 0, 0, 0);
  EXPECT_EQ(one->X(0, 0), 3);
  EXPECT_EQ(one->Y(0, 0), 4);
}

}  // namespace
}  // namespace pelmic
