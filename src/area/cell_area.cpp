// SPDX-License-Identifier: MIT
#include "area/cell_area.h"

#include <cmath>

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

// The exact label rule on a rational area: nearest whole number, a half to
// the even neighbour.
double ExactLabel(const Rational& area) {
  using boost::multiprecision::cpp_int;
  const Rational up = area + Rational(1, 2);
  const cpp_int below = numerator(up) / denominator(up);  // the floor, for area >= 0
  const bool tie = Rational(below) == up;
  const cpp_int label = tie && (below % 2 != 0) ? below - 1 : below;
  return label.convert_to<double>();
}

// The double nearest the exact area, moved by one step where rounding to a
// double would carry it across a label's boundary.
double AreaWithExactLabel(const Rational& area) {
  const double label = ExactLabel(area);
  double value = area.convert_to<double>();
  if (AreaLabelValue(value) != static_cast<std::int32_t>(label)) {
    value = std::nextafter(value, Rational(value) < area ? INFINITY : -INFINITY);
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
  const Rational exact = TwiceFanArea<Rational>(n, siteX, siteY, [&](int v, Rational& x, Rational& y) {
                           SourcePoint<Rational>(cells.Exact(row, v).source, siteX, siteY, cells.X(row, v),
                                                 cells.Y(row, v), x, y);
                         }) / 2;
  return AreaWithExactLabel(exact);
}

}  // namespace pelmic
