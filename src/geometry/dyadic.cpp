// SPDX-License-Identifier: MIT
#include "geometry/dyadic.h"

#include <cmath>
#include <cstdint>

namespace pelmic {

Dyadic::Dyadic(double x) {
  if (x == 0) return;
  int exponent = 0;
  const double fraction = std::frexp(x, &exponent);  // in [0.5, 1): 53 bits after the point
  m_ = static_cast<std::int64_t>(std::ldexp(fraction, 53));
  e_ = exponent - 53;
}

Dyadic operator+(const Dyadic& a, const Dyadic& b) {
  if (a.m_.is_zero()) return b;
  if (b.m_.is_zero()) return a;
  const int e = std::min(a.e_, b.e_);
  return Dyadic((a.m_ << (a.e_ - e)) + (b.m_ << (b.e_ - e)), e);
}

}  // namespace pelmic
