// SPDX-License-Identifier: MIT
// bounded.h - a double together with a proven bound on its distance from the
// exact value, for the fast first evaluation of every geometric predicate.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <concepts>
#include <limits>

#include "geometry/numeric.h"

namespace pelmic {

// |exact - v| <= e, up to the allowance SignKnown makes. Each operation adds
// its own rounding: at most half an ulp (kUnitRoundoff relative), and for
// products and quotients, which may fall below the normal range,
// kUnderflowPad for gradual underflow of the value and of the bound's own
// terms (at most 2^-1075 each). So the bound holds over the whole range of
// doubles: a product that underflows to 0 comes out as 0 with a nonzero
// bound, and its sign is left to exact arithmetic; an overflow makes the
// bound infinite. The rounding of the bound's own arithmetic, at most five
// half-ulps relative per operation, compounds to under 2^-40 over a thousand
// operations, which is allowed for once, when a sign is read.
struct Bounded {
  double v = 0;
  double e = 0;

  Bounded() = default;
  explicit Bounded(double x) : v(x) {}
  Bounded(double value, double bound) : v(value), e(bound) {}

  // True when the sign of the exact value is the sign of v, and not 0.
  bool SignKnown() const;
};

inline constexpr double kUnitRoundoff = 0x1p-53;
inline constexpr double kInflate = 1 + 0x1p-40;
inline constexpr double kUnderflowPad = 0x1p-1070;

inline bool Bounded::SignKnown() const { return e * kInflate + 0x1p-1074 < std::abs(v); }

// How many signs the bounded and the exact evaluations decided, for the
// benchmarks; the geometry runs on one thread.
struct DecisionCounts {
  std::uint64_t fast = 0;
  std::uint64_t exact = 0;
};
inline DecisionCounts decisionCounts;

inline Bounded operator-(const Bounded& a) { return {-a.v, a.e}; }

inline Bounded operator+(const Bounded& a, const Bounded& b) {
  const double v = a.v + b.v;
  // A sum that falls below the normal range is exact.
  return {v, a.e + b.e + kUnitRoundoff * std::abs(v)};
}

inline Bounded operator-(const Bounded& a, const Bounded& b) { return a + -b; }

inline Bounded operator*(const Bounded& a, const Bounded& b) {
  const double v = a.v * b.v;
  return {v, std::abs(a.v) * b.e + std::abs(b.v) * a.e + a.e * b.e + kUnitRoundoff * std::abs(v) + kUnderflowPad};
}

// Undefined (an infinite bound) where the divisor's sign is not known.
inline Bounded operator/(const Bounded& a, const Bounded& b) {
  if (!b.SignKnown()) return {0, std::numeric_limits<double>::infinity()};
  const double v = a.v / b.v;
  const double spread = (a.e + std::abs(v) * (1 + 0x1p-50) * b.e) / (std::abs(b.v) - b.e * kInflate);
  return {v, spread + kUnitRoundoff * std::abs(v) + kUnderflowPad};
}

inline Bounded Abs(const Bounded& a) { return {std::abs(a.v), a.e}; }
inline double Abs(double a) { return std::abs(a); }

// A bounded value scaled up by first * second (powers of two), exactly,
// and the double that leads it; PreciseBounded has its own.
inline Bounded ScaledUp(const Bounded& a, double first, double second) {
  return {a.v * first * second, a.e * first * second};
}
inline double LeadingDouble(const Bounded& a) { return a.v; }

template <class P>
concept ScalesUp = requires(const P& p) {
  { ScaledUp(p, 1.0, 1.0) } -> std::same_as<P>;
  { LeadingDouble(p) } -> std::same_as<double>;
};

// The parts of a homogeneous expression (differences of sites a hair apart),
// all scaled by one power of two where the largest is tiny, so that their
// products do not underflow: the expression's sign, and its ratio to another
// of the same degree, stay as they are. Exact, as scaling up is. A no-op for
// exact types.
template <class... T>
void ScaleUpTiny(T&...) {}

template <ScalesUp... B>
void ScaleUpTiny(B&... parts) {
  if (((std::abs(LeadingDouble(parts)) >= kTinyDifference) || ...)) [[likely]] return;
  const double largest = std::max({std::abs(LeadingDouble(parts))...});
  if (largest == 0) return;
  double first = 1, second = 1;
  PowerOfTwoFactors(-std::ilogb(largest), first, second);
  ((parts = ScaledUp(parts, first, second)), ...);
}

// A fraction num / den whose den is tiny (sites a hair apart near 0, or a
// border far off in units of such sites), scaled up by one power of two
// until den is near 1, num kept below 2^900: its products with other
// places' fractions then stay in the normal range. Exact; its ratio and
// signs stay as they are. A no-op for other types.
template <class T>
void ScaleUpTinyFraction(T&, T&) {}

inline void ScaleUpTinyFraction(Bounded& num, Bounded& den) {
  const double d = std::abs(den.v);
  if (d >= kTinyDifference || d == 0) [[likely]] return;
  const double n = std::abs(num.v);
  const int k = std::min(-std::ilogb(d), 900 - (n == 0 ? 0 : std::ilogb(n)));
  if (k <= 0) return;
  double first = 1, second = 1;
  PowerOfTwoFactors(k, first, second);
  num = ScaledUp(num, first, second);
  den = ScaledUp(den, first, second);
}

}  // namespace pelmic
