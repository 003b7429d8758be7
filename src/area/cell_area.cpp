#include "area/cell_area.h"

#include <cmath>

namespace pelmic {

double TriangleArea(double sx, double sy, double px, double py, double qx, double qy) {
  const double a = std::sqrt((sx - px) * (sx - px) + (sy - py) * (sy - py));
  const double b = std::sqrt((sx - qx) * (sx - qx) + (sy - qy) * (sy - qy));
  const double c = std::sqrt((qy - py) * (qy - py) + (qx - px) * (qx - px));
  const double s = ((a + b) + c) / 2;
  const double product = ((s * (s - a)) * (s - b)) * (s - c);
  return product > 0 ? std::sqrt(product) : 0.0;
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
