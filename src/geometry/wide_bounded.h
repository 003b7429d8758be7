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
  explicit WideBounded(double value);
  WideBounded(double fraction, double bound, int exponent);

  // The exact value's sign where the bound proves it, else 0 (unknown).
  int KnownSign() const { return e * kInflate < std::abs(f) ? (f > 0 ? 1 : -1) : 0; }

 private:
  void Normalize();
};

// Out of line: the middle stage is cold, and inlined into every generic
// predicate it would be most of the program.
WideBounded operator-(const WideBounded& a);
WideBounded operator*(const WideBounded& a, const WideBounded& b);
// The smaller term moved to the larger's exponent.
WideBounded operator+(const WideBounded& a, const WideBounded& b);
WideBounded operator-(const WideBounded& a, const WideBounded& b);

}  // namespace pelmic
