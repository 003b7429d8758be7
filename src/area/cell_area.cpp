// SPDX-License-Identifier: MIT
#include "area/cell_area.h"

#include <cmath>
#include <utility>

namespace pelmic {

double TriangleArea(double sx, double sy, double px, double py, double qx, double qy) {
  double a = std::sqrt((sx - px) * (sx - px) + (sy - py) * (sy - py));
  double b = std::sqrt((sx - qx) * (sx - qx) + (sy - qy) * (sy - qy));
  double c = std::sqrt((qy - py) * (qy - py) + (qx - px) * (qx - px));
  // Heron's formula in Kahan's arrangement: with a >= b >= c, a - b and the
  // sums below lose nothing, so slivers keep their area instead of vanishing
  // in s - a.
  if (a < b) std::swap(a, b);
  if (b < c) std::swap(b, c);
  if (a < b) std::swap(a, b);
  const double flat = c - (a - b);
  if (flat <= 0) return 0.0;
  return std::sqrt((a + (b + c)) * flat * (c + (a - b)) * (a + (b - c))) / 4;
}

double ComputeCellArea(const CellVertexTable& cells, int row, double siteX, double siteY) {
  const int n = cells.VertexCount(row);
  if (n == 0) return 0.0;
  double area = 0;
  for (int v = 0; v <= n - 2; ++v) {
    area += TriangleArea(siteX, siteY, cells.X(row, v), cells.Y(row, v), cells.X(row, v + 1), cells.Y(row, v + 1));
  }
  area += TriangleArea(siteX, siteY, cells.X(row, 0), cells.Y(row, 0), cells.X(row, n - 1), cells.Y(row, n - 1));
  return area;
}

}  // namespace pelmic
