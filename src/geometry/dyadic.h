// SPDX-License-Identifier: MIT
// dyadic.h - exact sums, differences and products of doubles.
#pragma once

#include "geometry/cpp_int_without_streams.h"

namespace pelmic {

// m * 2^e, exactly. Every double is one, from 5e-324 to 1.8e308, and so are
// sums, differences and products of them: the exact path of the predicates
// that need no division, without a rational's greatest common divisors.
class Dyadic {
 public:
  Dyadic() = default;
  explicit Dyadic(double x);

  int sign() const { return m_.sign(); }

  friend Dyadic operator-(const Dyadic& a) { return Dyadic(-a.m_, a.e_); }
  friend Dyadic operator+(const Dyadic& a, const Dyadic& b);
  friend Dyadic operator-(const Dyadic& a, const Dyadic& b) { return a + -b; }
  friend Dyadic operator*(const Dyadic& a, const Dyadic& b) { return Dyadic(a.m_ * b.m_, a.e_ + b.e_); }

 private:
  using Integer = boost::multiprecision::cpp_int;
  Dyadic(Integer m, int e) : m_(std::move(m)), e_(e) {}

  Integer m_;
  int e_ = 0;
};

}  // namespace pelmic
