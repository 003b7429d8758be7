// SPDX-License-Identifier: MIT
#include "geometry/cell_vertex_table.h"

#include "geometry/exact_sign.h"
#include "geometry/numeric.h"

namespace pelmic {
namespace {

// a.x / a.d == b.x / b.d, and the same in y.
bool SameExactPoint(const ExactVertex& a, const ExactVertex& b) {
  return (a.dx * b.point.d - b.dx * a.point.d).sign() == 0 && (a.dy * b.point.d - b.dy * a.point.d).sign() == 0;
}

// Exact equality of the points behind two vertices of the cell of (sx, sy).
bool SamePoint(const VertexExact& a, const VertexExact& b, double sx, double sy) {
  if (SameSource(a.source, b.source)) return true;
  if ((a.x - b.x).SignKnown() || (a.y - b.y).SignKnown()) return false;
  ++Decisions().exact;
  return SameExactPoint(a.Exactly(sx, sy), b.Exactly(sx, sy));
}

}  // namespace

const ExactVertex& VertexExact::Exactly(double sx, double sy) const {
  if (!exact) exact = std::make_shared<const ExactVertex>(ExactVertexOf(source, sx, sy));
  return *exact;
}

VertexExact MakeVertexExact(const VertexSource& source, double x, double y, double sx, double sy) {
  VertexExact v{source, {}, {}, {}};
  if (source.place.kind == LinePlace::Kind::kNone) v.source.place = {LinePlace::Kind::kNone, x, y};
  SourcePoint<Bounded>(v.source, sx, sy, v.x, v.y);
  return v;
}

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

bool CellVertexTable::IsCellVertex(int site, const VertexExact& candidate, double siteX, double siteY) const {
  const int n = VertexCount(site);
  for (int v = 0; v < n; ++v) {
    if (SamePoint(candidate, Exact(site, v), siteX, siteY)) return true;
  }
  return false;
}

void CellVertexTable::AddPreparedVertex(int site, double x, double y, double siteX, double siteY, VertexExact exact) {
  std::int16_t& count = vertexCount_.at(site);
  const int n = count;
  vertexX_.at(site).at(n) = x;
  vertexY_.at(site).at(n) = y;
  vertexAngle_.at(site).at(n) = AngleAboutSite(x, y, siteX, siteY);
  vertexExact_.at(site).at(n) = std::move(exact);
  ++count;
}

}  // namespace pelmic
