// SPDX-License-Identifier: MIT
#include "geometry/cell_vertex_table.h"

#include "geometry/numeric.h"

namespace pelmic {

double AngleAboutSite(double px, double py, double sx, double sy) {
  const double dy = py - sy;
  const double r = Distance(sx, sy, px, py);
  if (r == 0.0) return 0.0;
  // Rounding can push |dy / r| a hair past 1 for points almost straight above
  // or below; ArcSin maps those to +-pi/2 like the exact +-1.
  const double s = dy / r;
  const double a = ArcSin(s);
  return px > sx ? kThreeHalfPi - a : kHalfPi + a;
}

bool CellVertexTable::IsCellVertex(int site, double x, double y) const {
  const Row& xs = vertexX_.at(site);
  const Row& ys = vertexY_.at(site);
  const int n = VertexCount(site);
  for (int v = 0; v < n; ++v) {
    if (SquaredDistance(x, y, xs.at(v), ys.at(v)) < kSameVertexSquaredDistance) return true;
  }
  return false;
}

void CellVertexTable::AddCellVertex(int site, double x, double y, double siteX, double siteY) {
  std::int16_t& count = vertexCount_.at(site);
  const int n = count;
  vertexX_.at(site).at(n) = x;
  vertexY_.at(site).at(n) = y;
  vertexAngle_.at(site).at(n) = AngleAboutSite(x, y, siteX, siteY);
  ++count;
}

}  // namespace pelmic
