// SPDX-License-Identifier: MIT
#include "geometry/cell_vertex_table.h"

#include "geometry/exact_sign.h"
#include "geometry/numeric.h"

namespace pelmic {
namespace {

VertexExact MakeExact(const VertexSource& source, double x, double y, double siteX, double siteY) {
  VertexExact v{source, {}, {}};
  SourcePoint<Bounded>(source, siteX, siteY, x, y, v.x, v.y);
  return v;
}

// Exact equality of the points behind two vertices of the cell of (sx, sy).
bool SamePoint(const VertexExact& a, double ax, double ay, const VertexExact& b, double bx, double by, double sx,
               double sy) {
  if (SameSource(a.source, b.source)) return true;
  if ((a.x - b.x).SignKnown() || (a.y - b.y).SignKnown()) return false;
  ++Decisions().exact;
  Rational px, py, qx, qy;
  SourcePoint<Rational>(a.source, sx, sy, ax, ay, px, py);
  SourcePoint<Rational>(b.source, sx, sy, bx, by, qx, qy);
  return px == qx && py == qy;
}

}  // namespace

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

bool CellVertexTable::IsCellVertex(int site, double x, double y, double siteX, double siteY,
                                   const VertexSource& source) const {
  const VertexExact candidate = MakeExact(source, x, y, siteX, siteY);
  const int n = VertexCount(site);
  for (int v = 0; v < n; ++v) {
    if (SamePoint(candidate, x, y, Exact(site, v), X(site, v), Y(site, v), siteX, siteY)) return true;
  }
  return false;
}

void CellVertexTable::AddCellVertex(int site, double x, double y, double siteX, double siteY,
                                    const VertexSource& source) {
  std::int16_t& count = vertexCount_.at(site);
  const int n = count;
  vertexX_.at(site).at(n) = x;
  vertexY_.at(site).at(n) = y;
  vertexAngle_.at(site).at(n) = AngleAboutSite(x, y, siteX, siteY);
  vertexExact_.at(site).at(n) = MakeExact(source, x, y, siteX, siteY);
  ++count;
}

}  // namespace pelmic
