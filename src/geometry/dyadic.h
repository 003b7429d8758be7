// SPDX-License-Identifier: MIT
// dyadic.h - exact sums, differences and products of doubles.
#pragma once

#include <cstdint>
#include <utility>

#include "geometry/big_integer.h"

namespace pelmic {

// m * 2^e, exactly. Every double is one, from 5e-324 to 1.8e308, and so are
// sums, differences and products of them: the exact path of every
// predicate, which compares fractions by cross-multiplying and so never
// divides.
class Dyadic {
 public:
  Dyadic() = default;
  explicit Dyadic(double x);

  int sign() const { return isBig_ ? big_.sign() : (small_ > 0) - (small_ < 0); }
  Dyadic Half() const {
    Dyadic half = *this;
    --half.e_;
    return half;
  }
  // |value| as f * 2^exponent with f in [0.5, 1), f rounded to a double; value != 0.
  double Leading(int& exponent) const;

  // Out of line, all of them: the exact path is cold, and inlined into every
  // generic predicate they would make most of the program.
  friend Dyadic operator-(const Dyadic& a);
  friend Dyadic operator+(const Dyadic& a, const Dyadic& b);
  friend Dyadic operator-(const Dyadic& a, const Dyadic& b);
  friend Dyadic operator*(const Dyadic& a, const Dyadic& b);
  // The value plus b, or minus b where `subtract`.
  Dyadic PlusSigned(const Dyadic& b, bool subtract) const;

 private:
  // Below this magnitude m is held in a machine integer: most of the exact
  // path's numbers (differences of nearby coordinates and their products)
  // are short, and a BigInteger for each would cost more than the arithmetic.
  static constexpr std::int64_t kSmallLimit = std::int64_t{1} << 62;

  Dyadic(std::int64_t m, int e) : small_(m), e_(e) {}
  Dyadic(BigInteger m, int e) : big_(std::move(m)), isBig_(true), e_(e) {}
  BigInteger Big() const { return isBig_ ? big_ : BigInteger(small_); }

  std::int64_t small_ = 0;
  BigInteger big_;
  bool isBig_ = false;
  int e_ = 0;
};

Dyadic Abs(const Dyadic& a);

// The double nearest to n / d (d != 0), a tie to the even one: a point
// worked out exactly, rounded once.
double RoundedQuotient(const Dyadic& n, const Dyadic& d);

}  // namespace pelmic
