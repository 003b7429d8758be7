// SPDX-License-Identifier: MIT
// precise_bounded.h - the middle stage for a sign that doubles cannot see:
// a value carried in two doubles (about 106 bits) with a proven bound.
//
// Sites on a rounded circle, or sites whose coordinates share their leading
// digits, give predicates whose value is below the doubles' rounding of the
// terms: Bounded leaves the sign open, though the exact value is far from 0.
// Here each sum and product keeps its rounding error as a second double
// (Knuth's two-sum, Dekker's product, no fused multiply-add), so only that
// error's own rounding, about 2^-106 of the terms, goes into the bound. A
// difference of two doubles is exact. Products below 2^-900 keep no error
// term and are bounded as in Bounded, so the bound holds over the whole
// range; values that tiny go to WideBounded instead (the caller's choice).
#pragma once

#include <cmath>

#include "geometry/bounded.h"

namespace pelmic {

// Each rounded product's allowance for gradual underflow (at most 2^-1075),
// the least normal double: arithmetic on subnormal pads is many times
// slower, and values this tiny are the wide bound's.
inline constexpr double kPrecisePad = 0x1p-1022;

struct PreciseBounded {
  double hi = 0, lo = 0;  // the value hi + lo, |lo| at most half an ulp of hi
  double e = 0;           // |exact - (hi + lo)| <= e

  PreciseBounded() = default;
  explicit PreciseBounded(double x) : hi(x) {}
  PreciseBounded(double high, double low, double bound) : hi(high), lo(low), e(bound) {}

  // The exact value's sign where the bound proves it, else 0 (unknown).
  int KnownSign() const {
    return e * kInflate + 0x1p-1022 < std::abs(hi) * (1 - 0x1p-52) ? (hi > 0 ? 1 : -1) : 0;
  }
};

// Out of line, as the other middle stage: cold, and large when inlined.
PreciseBounded operator-(const PreciseBounded& a);
PreciseBounded operator+(const PreciseBounded& a, const PreciseBounded& b);
PreciseBounded operator-(const PreciseBounded& a, const PreciseBounded& b);
PreciseBounded operator*(const PreciseBounded& a, const PreciseBounded& b);

inline PreciseBounded Twice(const PreciseBounded& a) { return {2 * a.hi, 2 * a.lo, 2 * a.e}; }

// For ScaleUpTiny, as Bounded's: scaled up by first * second exactly (low
// parts below the normal range too), and the double that leads it.
inline PreciseBounded ScaledUp(const PreciseBounded& a, double first, double second) {
  return {a.hi * first * second, a.lo * first * second, a.e * first * second};
}
inline double LeadingDouble(const PreciseBounded& a) { return a.hi; }

}  // namespace pelmic
