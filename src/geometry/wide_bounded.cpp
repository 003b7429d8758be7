// SPDX-License-Identifier: MIT
#include "geometry/wide_bounded.h"

#include <cmath>

namespace pelmic {

WideBounded::WideBounded(double value) { f = std::frexp(value, &x); }

WideBounded::WideBounded(double fraction, double bound, int exponent) : f(fraction), e(bound), x(exponent) {
  Normalize();
}

void WideBounded::Normalize() {
  if (f == 0) return;
  int shift = 0;
  f = std::frexp(f, &shift);
  e = std::ldexp(e, -shift);
  x += shift;
}

WideBounded operator-(const WideBounded& a) { return {-a.f, a.e, a.x}; }

WideBounded operator*(const WideBounded& a, const WideBounded& b) {
  const double f = a.f * b.f;  // at least 1/4 or 0: exact to a half-ulp
  return {f, std::abs(a.f) * b.e + std::abs(b.f) * a.e + a.e * b.e + kUnitRoundoff * std::abs(f) + kWidePad,
          a.x + b.x};
}

WideBounded operator+(const WideBounded& a, const WideBounded& b) {
  if (a.f == 0 && a.e == 0) return b;
  if (b.f == 0 && b.e == 0) return a;
  const WideBounded& big = a.x >= b.x ? a : b;
  const WideBounded& small = a.x >= b.x ? b : a;
  const int drop = small.x - big.x;
  const double f = big.f + std::ldexp(small.f, drop);
  return {f, big.e + std::ldexp(small.e, drop) + kUnitRoundoff * std::abs(f) + kWidePad, big.x};
}

WideBounded operator-(const WideBounded& a, const WideBounded& b) { return a + -b; }

}  // namespace pelmic
