#include "area/angular_order.h"

#include <array>
#include <cmath>
#include <span>

#include "geometry/numeric.h"

namespace pelmic {

void OrderCellVertices(CellVertexTable& cells, int row) {
  const std::int16_t n = cells.VertexCount(row);
  const std::size_t count = static_cast<std::size_t>(n);
  hSort(n, std::span<double>(cells.AngleRow(row)).first(count), std::span<double>(cells.XRow(row)).first(count),
        std::span<double>(cells.YRow(row)).first(count));
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
