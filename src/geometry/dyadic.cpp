// SPDX-License-Identifier: MIT
#include "geometry/dyadic.h"

#include <bit>
#include <cmath>
#include <cstdint>

namespace pelmic {

Dyadic::Dyadic(double x) {
  if (x == 0) return;
  int exponent = 0;
  const double fraction = std::frexp(x, &exponent);  // in [0.5, 1): 53 bits after the point
  std::int64_t m = static_cast<std::int64_t>(std::ldexp(fraction, 53));
  // Without its trailing zeros: whole-pixel and power-of-two coordinates stay short.
  const int zeros = std::countr_zero(static_cast<std::uint64_t>(m));
  m_ = BigInteger(m >> zeros);
  e_ = exponent - 53 + zeros;
}

double Dyadic::Leading(int& exponent) const {
  const double fraction = m_.Leading(exponent);
  exponent += e_;
  return fraction;
}

Dyadic operator+(const Dyadic& a, const Dyadic& b) {
  if (a.sign() == 0) return b;
  if (b.sign() == 0) return a;
  if (a.e_ == b.e_) return Dyadic(a.m_ + b.m_, a.e_);
  const Dyadic& low = a.e_ < b.e_ ? a : b;
  const Dyadic& high = a.e_ < b.e_ ? b : a;
  return Dyadic(low.m_ + high.m_.ShiftedLeft(high.e_ - low.e_), low.e_);
}

namespace {

bool OddSignificand(double q) { return (std::bit_cast<std::uint64_t>(q) & 1u) != 0; }

// The sign of n - (p + q) / 2 * d, d > 0.
int SideOfMidpoint(const Dyadic& n, double p, double q, const Dyadic& d) {
  return (n - (Dyadic(p) + Dyadic(q)).Half() * d).sign();
}

}  // namespace

double RoundedQuotient(const Dyadic& n, const Dyadic& d) {
  if (n.sign() == 0) return 0;
  const Dyadic an = Abs(n), ad = Abs(d);
  int en = 0, ed = 0;
  const double fn = an.Leading(en), fd = ad.Leading(ed);
  // Within a few steps of the answer; the exact comparisons walk the rest.
  double q = std::ldexp(fn / fd, en - ed);
  for (bool moved = true; moved;) {
    moved = false;
    const double down = std::nextafter(q, 0.0);
    if (q > 0) {
      const int side = SideOfMidpoint(an, down, q, ad);
      if (side < 0 || (side == 0 && OddSignificand(q))) {
        q = down;
        moved = true;
        continue;
      }
    }
    const double up = std::nextafter(q, INFINITY);
    const int side = SideOfMidpoint(an, q, up, ad);
    if (side > 0 || (side == 0 && OddSignificand(q))) {
      q = up;
      moved = true;
    }
  }
  return n.sign() == d.sign() ? q : -q;
}

}  // namespace pelmic
