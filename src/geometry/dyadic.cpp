// SPDX-License-Identifier: MIT
#include "geometry/dyadic.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace pelmic {
namespace {

std::uint64_t BitsOf(double x) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &x, sizeof bits);
  return bits;
}

}  // namespace

Dyadic::Dyadic(double x) {
  if (x == 0) return;
  // Read off the bits: a normal double is (2^52 + fraction) * 2^(field - 1075),
  // a subnormal fraction * 2^-1074.
  const std::uint64_t bits = BitsOf(x);
  const int field = static_cast<int>((bits >> 52) & 0x7ff);
  std::uint64_t m = bits & ((std::uint64_t{1} << 52) - 1);
  if (field != 0) m |= std::uint64_t{1} << 52;
  // Without its trailing zeros: whole-pixel and power-of-two coordinates stay short.
  const int zeros = std::countr_zero(m);
  const std::int64_t magnitude = static_cast<std::int64_t>(m >> zeros);
  small_ = x < 0 ? -magnitude : magnitude;
  e_ = (field != 0 ? field - 1075 : -1074) + zeros;
}

double Dyadic::Leading(int& exponent) const {
  const double fraction =
      isBig_ ? big_.Leading(exponent) : std::frexp(static_cast<double>(small_ < 0 ? -small_ : small_), &exponent);
  exponent += e_;
  return fraction;
}

Dyadic operator-(const Dyadic& a) { return a.isBig_ ? Dyadic(-a.big_, a.e_) : Dyadic(-a.small_, a.e_); }

Dyadic operator-(const Dyadic& a, const Dyadic& b) { return a.PlusSigned(b, true); }

Dyadic operator*(const Dyadic& a, const Dyadic& b) {
  std::int64_t product = 0;
  if (!a.isBig_ && !b.isBig_ && !__builtin_mul_overflow(a.small_, b.small_, &product) &&
      product > -Dyadic::kSmallLimit && product < Dyadic::kSmallLimit) {
    return Dyadic(product, a.e_ + b.e_);
  }
  return Dyadic(a.Big() * b.Big(), a.e_ + b.e_);
}

Dyadic Abs(const Dyadic& a) { return a.sign() < 0 ? -a : a; }

Dyadic operator+(const Dyadic& a, const Dyadic& b) { return a.PlusSigned(b, false); }

Dyadic Dyadic::PlusSigned(const Dyadic& b, bool subtract) const {
  if (b.sign() == 0) return *this;
  if (sign() == 0) return subtract ? -b : b;
  const int low = std::min(e_, b.e_);
  if (!isBig_ && !b.isBig_) {
    // Both at the lower exponent, where the shift keeps them short.
    const int shiftA = e_ - low, shiftB = b.e_ - low;
    const std::int64_t limitA = shiftA < 62 ? kSmallLimit >> shiftA : 0, limitB = shiftB < 62 ? kSmallLimit >> shiftB : 0;
    if (small_ > -limitA && small_ < limitA && b.small_ > -limitB && b.small_ < limitB) {
      const std::int64_t x = small_ * (std::int64_t{1} << shiftA), y = b.small_ * (std::int64_t{1} << shiftB);
      const std::int64_t sum = subtract ? x - y : x + y;  // each below 2^62: no overflow
      if (sum > -kSmallLimit && sum < kSmallLimit) return Dyadic(sum, low);
      return Dyadic(BigInteger(sum), low);
    }
  }
  const BigInteger x = Big().ShiftedLeft(e_ - low), y = b.Big().ShiftedLeft(b.e_ - low);
  return Dyadic(x.PlusSigned(y, subtract), low);
}

namespace {

bool OddSignificand(double q) { return (BitsOf(q) & 1u) != 0; }

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
