// SPDX-License-Identifier: MIT
// wide_bounded.h - the middle stage between the double filter and exact
// arithmetic: a double with a proven bound, like Bounded, but with an
// exponent of its own, so that no product underflows.
//
// Sites a hair apart next to coordinate 0, or tiny coordinates beside
// 16383, make products far below the doubles' range: Bounded rounds them to
// 0 and leaves every such sign to exact arithmetic, at a few thousand bits.
// Here the value is f * 2^x with f kept in [0.5, 1): a product never
// underflows, and only a sum of terms more than 2^1000 apart rounds the
// smaller one away. Every operation adds kWidePad to the bound, in units of
// 2^x, which covers that and any rounding of the bound's own terms below the
// normal range (each at most 2^-1075), while no nonzero bound is ever below
// the normal range itself; it is no weaker for it, next to the half-ulp
// (2^-54) each operation adds anyway.
#pragma once

#include <cmath>

#include "geometry/bounded.h"

namespace pelmic {

inline constexpr double kWidePad = 0x1p-1020;

struct WideBounded {
  double f = 0, e = 0;  // value f * 2^x, |exact - value| <= e * 2^x
  int x = 0;

  WideBounded() = default;
  explicit WideBounded(double value) { f = std::frexp(value, &x); }
  WideBounded(double fraction, double bound, int exponent) : f(fraction), e(bound), x(exponent) { Normalize(); }

  // The exact value's sign where the bound proves it, else 0 (unknown).
  int KnownSign() const { return e * kInflate < std::abs(f) ? (f > 0 ? 1 : -1) : 0; }

 private:
  void Normalize() {
    if (f == 0) return;
    int shift = 0;
    f = std::frexp(f, &shift);
    e = std::ldexp(e, -shift);
    x += shift;
  }
};

inline WideBounded operator-(const WideBounded& a) { return {-a.f, a.e, a.x}; }

inline WideBounded operator*(const WideBounded& a, const WideBounded& b) {
  const double f = a.f * b.f;  // at least 1/4 or 0: exact to a half-ulp
  return {f, std::abs(a.f) * b.e + std::abs(b.f) * a.e + a.e * b.e + kUnitRoundoff * std::abs(f) + kWidePad,
          a.x + b.x};
}

// The smaller term moved to the larger's exponent.
inline WideBounded operator+(const WideBounded& a, const WideBounded& b) {
  if (a.f == 0 && a.e == 0) return b;
  if (b.f == 0 && b.e == 0) return a;
  const WideBounded& big = a.x >= b.x ? a : b;
  const WideBounded& small = a.x >= b.x ? b : a;
  const int drop = small.x - big.x;
  const double f = big.f + std::ldexp(small.f, drop);
  return {f, big.e + std::ldexp(small.e, drop) + kUnitRoundoff * std::abs(f) + kWidePad, big.x};
}

inline WideBounded operator-(const WideBounded& a, const WideBounded& b) { return a + -b; }

}  // namespace pelmic
