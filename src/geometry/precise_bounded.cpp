// SPDX-License-Identifier: MIT
#include "geometry/precise_bounded.h"

#include <limits>

namespace pelmic {
namespace {

struct Pair {
  double hi, lo;
};

// hi + lo == a + b exactly, hi the rounded sum (Knuth): for any finite a, b
// whose sum does not overflow, gradual underflow included.
Pair TwoSum(double a, double b) {
  const double s = a + b;
  const double bb = s - a;
  return {s, (a - (s - bb)) + (b - bb)};
}

// a as hi + lo with hi of at most 26 significant bits (Veltkamp), for |a| < 2^996.
Pair Split(double a) {
  const double c = 134217729.0 * a;  // 2^27 + 1
  const double hi = c - (c - a);
  return {hi, a - hi};
}

// hi + lo == a * b exactly, hi the rounded product (Dekker), where |a * b|
// >= 2^-900 and |a| < 2^996: then every part product is a normal double of
// at most 53 bits (a nonzero low part is at least an ulp of its double).
Pair TwoProduct(double a, double b) {
  const double p = a * b;
  const Pair x = Split(a), y = Split(b);
  return {p, ((x.hi * y.hi - p) + x.hi * y.lo + x.lo * y.hi) + x.lo * y.lo};
}

constexpr double kExactProductLimit = 0x1p-900;

constexpr double kU = kUnitRoundoff;
constexpr double kSplitLimit = 0x1p900;  // far above any value the predicates reach

double Magnitude(const PreciseBounded& a) { return (std::abs(a.hi) + std::abs(a.lo)) * (1 + 4 * kU); }

}  // namespace

PreciseBounded operator-(const PreciseBounded& a) { return {-a.hi, -a.lo, a.e}; }

PreciseBounded operator+(const PreciseBounded& a, const PreciseBounded& b) {
  const Pair s = TwoSum(a.hi, b.hi);
  const double t = a.lo + b.lo;  // rounded once (exact below the normal range)
  const double v = s.lo + t;     // and once more
  const Pair r = TwoSum(s.hi, v);
  return {r.hi, r.lo, a.e + b.e + kU * (std::abs(t) + std::abs(v))};
}

PreciseBounded operator-(const PreciseBounded& a, const PreciseBounded& b) { return a + -b; }

PreciseBounded operator*(const PreciseBounded& a, const PreciseBounded& b) {
  if (std::abs(a.hi) >= kSplitLimit || std::abs(b.hi) >= kSplitLimit) {
    return {a.hi * b.hi, 0, std::numeric_limits<double>::infinity()};
  }
  const double high = a.hi * b.hi;
  // Below the limit the product's error is bounded instead of kept.
  const bool keepsError = std::abs(high) >= kExactProductLimit;
  const Pair p = keepsError ? TwoProduct(a.hi, b.hi) : Pair{high, 0};
  const double c1 = a.hi * b.lo, c2 = a.lo * b.hi;
  const double c = c1 + c2;
  const double v = p.lo + c;
  const Pair r = TwoSum(p.hi, v);
  // The rounding of c1, c2, c and v (each product also padded for gradual
  // underflow), a.lo * b.lo left out, and the product's own where not kept.
  const double rounding = kU * (std::abs(c1) + std::abs(c2) + std::abs(c) + std::abs(v)) +
                          std::abs(a.lo * b.lo) * (1 + 2 * kU) + (keepsError ? 0 : kU * std::abs(high)) +
                          4 * kPrecisePad;
  const double spread = Magnitude(a) * b.e + Magnitude(b) * a.e + a.e * b.e;
  return {r.hi, r.lo, rounding + spread};
}

}  // namespace pelmic
