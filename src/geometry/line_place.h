// SPDX-License-Identifier: MIT
// line_place.h - a place on the bisector of a site pair, kept as the border
// or the third site that makes it rather than as rounded coordinates, so that
// every decision about it can be made on the sites' own doubles.
#pragma once

#include <cmath>
#include <cstdint>

#include "geometry/bounded.h"

namespace pelmic {

struct LinePlace {
  enum class Kind : std::int8_t { kNone, kBorderX, kBorderY, kCrossing };
  Kind kind = Kind::kNone;
  // kBorderX: the border's x; kBorderY: its y; kCrossing: the third site m,
  // whose bisector with i (or with k, the same line on the pair's bisector)
  // crosses the pair's bisector here.
  double a = 0, b = 0;
};

inline bool SamePlace(const LinePlace& a, const LinePlace& b) {
  return a.kind == b.kind && a.a == b.a && a.b == b.b;
}

// The pair (i, k) whose bisector the places lie on. The bisector runs
// through the sites' midpoint along d0 = (iy - ky, kx - ix); `turn` is +1 or
// -1 so that turn * d0 points towards growing x (growing y when vertical),
// the order in which the construction walks the line.
struct PairFrame {
  double ix = 0, iy = 0, kx = 0, ky = 0;
  int turn = 1;

  PairFrame() = default;
  PairFrame(double iX, double iY, double kX, double kY)
      : ix(iX), iy(iY), kx(kX), ky(kY), turn(iY > kY || (iY == kY && kX > iX) ? 1 : -1) {}
};

template <class T>
struct Fraction {
  T num, den;
};

// a * b + c * d, in any number type.
template <class T>
T SumOfTwoProducts(const T& a, const T& b, const T& c, const T& d) {
  return a * b + c * d;
}

// The same in doubles, where a, b, c, d are differences of two doubles each
// (a Bounded's v; their bounds are not read) and every difference, product
// and the sum was rounded once, with the bound of the standard analysis
// instead of one carried through each step (a semi-static filter: the same
// kind of bound, at a third of the work). Each rounding is at most a half-ulp
// of its result, plus 2^-1075 where a product falls below the normal range,
// so the exact value lies within (4u + 4u^2 + u^3)(|ab| + |cd|) + 2.1 *
// 2^-1075 of the sum (u = 2^-53). 5u and two underflow pads cover that and
// the bound's own rounding. A product that overflows makes the bound
// infinite, and its sign goes to exact arithmetic.
inline Bounded SumOfTwoProducts(const Bounded& a, const Bounded& b, const Bounded& c, const Bounded& d) {
  const double ab = a.v * b.v, cd = c.v * d.v;
  return {ab + cd, (std::abs(ab) + std::abs(cd)) * (5 * kUnitRoundoff) + 2 * kUnderflowPad};
}

inline Bounded Twice(const Bounded& a) { return {2 * a.v, 2 * a.e}; }
template <class T>
T Twice(const T& a) {
  return a + a;
}

// The place as num / den, its position along turn * d0 from the midpoint:
// positions order the places along the line. A crossing's den is 0 where the
// third site lies on the line through i and k (the bisectors are parallel).
// A crossing's, in Bounded, is the hottest evaluation of the construction,
// once per pair and third site.
template <class T>
Fraction<T> PlaceFraction(const PairFrame& f, const LinePlace& p) {
  const T ix(f.ix), iy(f.iy), kx(f.kx), ky(f.ky);
  Fraction<T> t;
  if (p.kind == LinePlace::Kind::kBorderX) {
    const T x(p.a);
    t = {(x + x) - (ix + kx), (iy - ky) + (iy - ky)};
  } else if (p.kind == LinePlace::Kind::kBorderY) {
    const T y(p.a);
    t = {(y + y) - (iy + ky), (kx - ix) + (kx - ix)};
  } else {
    const T mx(p.a), my(p.b);
    T ax = mx - ix, ay = my - iy, bx = mx - kx, by = my - ky, cx = kx - ix, cy = ky - iy;
    ScaleUpTiny(ax, ay, bx, by, cx, cy);
    t = {SumOfTwoProducts(ax, bx, ay, by), Twice(SumOfTwoProducts(cx, ay, -cy, ax))};
  }
  if (f.turn < 0) t.den = -t.den;
  // Sites a hair apart near 0 give tiny dens, whose cross products would
  // underflow, or form bounds below the normal range, whose arithmetic is
  // many times slower: ordered by the same fraction scaled up.
  ScaleUpTinyFraction(t.num, t.den);
  return t;
}

// The point of the line at a place (den != 0).
template <class T>
void PlacePoint(const PairFrame& f, const LinePlace& p, T& x, T& y) {
  const Fraction<T> t = PlaceFraction<T>(f, p);
  const T ix(f.ix), iy(f.iy), kx(f.kx), ky(f.ky);
  T along = t.num / t.den;
  if (f.turn < 0) along = -along;
  const T half(0.5);
  x = (ix + kx) * half + along * (iy - ky);
  y = (iy + ky) * half + along * (kx - ix);
}

// The point of the line at a place as (x / d, y / d), d > 0 (den != 0).
template <class T>
struct PointFraction {
  T x, y, d;
};

template <class T>
PointFraction<T> PlacePointFraction(const PairFrame& f, const LinePlace& p) {
  Fraction<T> t = PlaceFraction<T>(f, p);
  if (f.turn < 0) t.den = -t.den;  // along d0 itself
  const T ix(f.ix), iy(f.iy), kx(f.kx), ky(f.ky);
  const T num2 = t.num + t.num;
  PointFraction<T> point{(ix + kx) * t.den + num2 * (iy - ky), (iy + ky) * t.den + num2 * (kx - ix), t.den + t.den};
  if (point.d.sign() < 0) point = {-point.x, -point.y, -point.d};
  return point;
}

}  // namespace pelmic
