// SPDX-License-Identifier: MIT
#include "area/cell_area.h"

#include <cmath>
#include <vector>

#include "area/area_label.h"
#include "geometry/exact_sign.h"

namespace pelmic {
namespace {

// Twice the area of the triangle (s, p, q): the magnitude of the cross
// product of p - s and q - s, for any number type.
template <class T>
T TwiceTriangleArea(const T& sx, const T& sy, const T& px, const T& py, const T& qx, const T& qy) {
  return Abs((px - sx) * (qy - sy) - (py - sy) * (qx - sx));
}

// Twice the fan's area over the row, in number type T; `point(v, x, y)` gives
// vertex v's exact point.
template <class T, class PointOf>
T TwiceFanArea(int n, double siteX, double siteY, const PointOf& point) {
  const T sx(siteX), sy(siteY);
  T firstX, firstY, prevX, prevY, sum(0.0);
  point(0, firstX, firstY);
  prevX = firstX;
  prevY = firstY;
  for (int v = 1; v < n; ++v) {
    T x, y;
    point(v, x, y);
    sum = sum + TwiceTriangleArea<T>(sx, sy, prevX, prevY, x, y);
    prevX = x;
    prevY = y;
  }
  return sum + TwiceTriangleArea<T>(sx, sy, firstX, firstY, prevX, prevY);
}

bool ProvenPositive(const Bounded& b) { return b.SignKnown() && b.v > 0; }

// Whether every value within the bound rounds to the label of area.v.
bool LabelSettled(const Bounded& area) {
  const double label = std::nearbyint(area.v);
  return ProvenPositive(area - Bounded(label - 0.5)) && ProvenPositive(Bounded(label + 0.5) - area);
}

// Twice the fan's exact area as p / q, q > 0: each triangle's doubled area
// is |dx_a dy_b - dy_a dx_b| / (d_a d_b) over the vertices' exact
// directions, so q is the product of every vertex's d and each term is
// multiplied by the others'.
struct ExactArea {
  Dyadic p, q;
};

ExactArea TwiceFanAreaExactly(const CellVertexTable& cells, int row, double siteX, double siteY) {
  const int n = cells.VertexCount(row);
  std::vector<const ExactVertex*> v;
  for (int at = 0; at < n; ++at) v.push_back(&cells.Exact(row, at).Exactly(siteX, siteY));
  // before[a]: the product of d over vertices 0 .. a - 1; after[a]: over a .. n - 1.
  std::vector<Dyadic> before(static_cast<std::size_t>(n) + 1, Dyadic(1.0)), after(before);
  for (std::size_t a = 0; a < v.size(); ++a) before[a + 1] = before[a] * v[a]->point.d;
  for (std::size_t a = v.size(); a-- > 0;) after[a] = after[a + 1] * v[a]->point.d;
  const auto triangle = [&](std::size_t a, std::size_t b) { return Abs(v[a]->dx * v[b]->dy - v[a]->dy * v[b]->dx); };
  Dyadic p;
  for (std::size_t a = 0; a + 1 < v.size(); ++a) p = p + triangle(a, a + 1) * before[a] * after[a + 2];
  // The closing triangle, between the first vertex and the last.
  const std::size_t last = v.size() - 1;
  if (last > 0) {
    Dyadic between(1.0);
    for (std::size_t a = 1; a < last; ++a) between = between * v[a]->point.d;
    p = p + triangle(0, last) * between;
  }
  return {p, before[v.size()]};
}

// The sign of twice * area - value * q, as area = twice / 2.
int SideOf(const ExactArea& twice, double value) { return (twice.p - Dyadic(2 * value) * twice.q).sign(); }

// The exact label rule: nearest whole number, a half to the even
// neighbour, found from a whole number `label` near it.
double ExactLabel(const ExactArea& twice, double label) {
  for (;;) {
    const int below = SideOf(twice, label - 0.5), above = SideOf(twice, label + 0.5);
    if (below < 0) {
      label -= 1;
    } else if (above > 0) {
      label += 1;
    } else {
      const bool odd = std::fmod(label, 2) != 0;
      if (odd && below == 0) return label - 1;
      if (odd && above == 0) return label + 1;
      return label;
    }
  }
}

// The double nearest the exact area, moved by one step where rounding to a
// double would carry it across a label's boundary.
double AreaWithExactLabel(const ExactArea& twice) {
  double value = RoundedQuotient(twice.p, twice.q + twice.q);
  const double label = ExactLabel(twice, std::nearbyint(value));
  if (AreaLabelValue(value) != static_cast<std::int32_t>(label)) {
    value = std::nextafter(value, SideOf(twice, value) > 0 ? INFINITY : -INFINITY);
  }
  return value;
}

}  // namespace

double TriangleArea(double sx, double sy, double px, double py, double qx, double qy) {
  return TwiceTriangleArea<double>(sx, sy, px, py, qx, qy) / 2;
}

double ComputeCellArea(const CellVertexTable& cells, int row, double siteX, double siteY) {
  const int n = cells.VertexCount(row);
  if (n == 0) return 0.0;
  const Bounded fast = TwiceFanArea<Bounded>(n, siteX, siteY, [&](int v, Bounded& x, Bounded& y) {
                         x = cells.Exact(row, v).x;
                         y = cells.Exact(row, v).y;
                       }) * Bounded(0.5);
  if (LabelSettled(fast)) [[likely]] {
    ++Decisions().fast;
    return fast.v;
  }
  ++Decisions().exact;
  return AreaWithExactLabel(TwiceFanAreaExactly(cells, row, siteX, siteY));
}

}  // namespace pelmic
