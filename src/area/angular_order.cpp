// SPDX-License-Identifier: MIT
#include "area/angular_order.h"

#include <array>
#include <cmath>
#include <span>
#include <utility>

#include "geometry/numeric.h"

namespace pelmic {

void OrderCellVertices(CellVertexTable& cells, int row) {
  const std::int16_t n = cells.VertexCount(row);
  const std::size_t count = static_cast<std::size_t>(n);
  hSort(n, std::span<double>(cells.AngleRow(row)).first(count), std::span<double>(cells.XRow(row)).first(count),
        std::span<double>(cells.YRow(row)).first(count));
}

namespace {

// True when vertex b comes before vertex a counter-clockwise on the screen
// (y grows downwards), for two directions less than pi apart.
bool TurnsBefore(const CellVertexTable& cells, int row, int a, int b, double siteX, double siteY) {
  double ax = cells.X(row, a) - siteX, ay = cells.Y(row, a) - siteY;
  double bx = cells.X(row, b) - siteX, by = cells.Y(row, b) - siteY;
  // Scaled, products of differences a few double steps long do not underflow to 0.
  ScaleToUnit(ax, ay);
  ScaleToUnit(bx, by);
  return ax * by - ay * bx > 0;
}

void SwapVertices(CellVertexTable& cells, int row, int a, int b) {
  std::swap(cells.XRow(row).at(a), cells.XRow(row).at(b));
  std::swap(cells.YRow(row).at(a), cells.YRow(row).at(b));
  std::swap(cells.AngleRow(row).at(a), cells.AngleRow(row).at(b));
}

}  // namespace

void SettleNearAngles(CellVertexTable& cells, int row, double siteX, double siteY) {
  const int n = cells.VertexCount(row);
  for (int v = 1; v < n; ++v) {
    for (int at = v; at > 0 && cells.Angle(row, at) - cells.Angle(row, at - 1) <= kNearAngle &&
                     TurnsBefore(cells, row, at - 1, at, siteX, siteY);
         --at) {
      SwapVertices(cells, row, at - 1, at);
    }
  }
}

void AngleVerticesAtTheSite(CellVertexTable& cells, int row, double siteX, double siteY) {
  const int n = cells.VertexCount(row);
  double sumX = 0, sumY = 0;
  bool any = false;
  for (int v = 0; v < n; ++v) {
    const double dx = cells.X(row, v) - siteX, dy = cells.Y(row, v) - siteY;
    const double r2 = dx * dx + dy * dy;
    if (r2 < kSameVertexSquaredDistance) {
      any = true;
      continue;
    }
    const double r = std::sqrt(r2);
    sumX += dx / r;
    sumY += dy / r;
  }
  if (!any || (sumX == 0 && sumY == 0)) return;
  const double gap = AngleAboutSite(siteX - sumX, siteY - sumY, siteX, siteY);
  for (int v = 0; v < n; ++v) {
    if (SquaredDistance(cells.X(row, v), cells.Y(row, v), siteX, siteY) < kSameVertexSquaredDistance) {
      cells.AngleRow(row).at(v) = gap;
    }
  }
}

}  // namespace pelmic
