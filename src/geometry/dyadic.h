// SPDX-License-Identifier: MIT
// dyadic.h - exact sums, differences and products of doubles.
#pragma once

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

  int sign() const { return m_.sign(); }
  Dyadic Half() const { return Dyadic(m_, e_ - 1); }
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
  Dyadic(BigInteger m, int e) : m_(std::move(m)), e_(e) {}

  BigInteger m_;
  int e_ = 0;
};

Dyadic Abs(const Dyadic& a);

// The double nearest to n / d (d != 0), a tie to the even one: a point
// worked out exactly, rounded once.
double RoundedQuotient(const Dyadic& n, const Dyadic& d);

}  // namespace pelmic
