// SPDX-License-Identifier: MIT
// big_integer.h - signed integers of any size, for the exact path of the
// geometric decisions: sums, differences and products only, which is all a
// decision over doubles needs once fractions are compared by cross-multiplying.
#pragma once

#include <cstdint>

#include "geometry/small_limbs.h"

namespace pelmic {

class BigInteger {
 public:
  BigInteger() = default;
  explicit BigInteger(std::int64_t value);

  int sign() const { return limbs_.empty() ? 0 : (negative_ ? -1 : 1); }
  // Bits of the magnitude: 0 for 0.
  int BitLength() const;
  // The magnitude as f * 2^exponent with f in [0.5, 1), f rounded to a double.
  double Leading(int& exponent) const;

  friend BigInteger operator-(BigInteger a);
  friend BigInteger operator+(const BigInteger& a, const BigInteger& b);
  friend BigInteger operator-(const BigInteger& a, const BigInteger& b);
  friend BigInteger operator*(const BigInteger& a, const BigInteger& b);
  // The value times 2^bits, bits >= 0.
  BigInteger ShiftedLeft(int bits) const;
  // The value plus b, or minus b where `subtract`.
  BigInteger PlusSigned(const BigInteger& b, bool subtract) const;

 private:
  using Limbs = SmallLimbs;  // the magnitude, least significant first, no leading zeros

  Limbs limbs_;
  bool negative_ = false;
};

}  // namespace pelmic
