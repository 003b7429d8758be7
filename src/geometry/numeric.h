// SPDX-License-Identifier: MIT
// numeric.h - Distance, ArcSin and hSort, the small helpers the geometry leans on.
#pragma once

#include <algorithm>
#include <cstring>
#include <cmath>
#include <cstdint>
#include <span>

#include "geometry/float_evaluation.h"

namespace pelmic {

// The program's own pi and 3pi, halved where pi/2 and 3pi/2 are needed. Vertex
// angles are built from these values, so they are kept exactly as they are.
inline constexpr double kPi = 3.14159265358979;
inline constexpr double kThreePi = 9.42477796076937;
inline constexpr double kHalfPi = kPi / 2;
inline constexpr double kThreeHalfPi = kThreePi / 2;

// Next to coordinate 0 doubles lie as little as 5e-324 apart, and their
// differences square into underflow below 2^-511. Differences below this
// bound, which leaves room for products too, are scaled up first.
inline constexpr double kTinyDifference = 0x1p-400;

inline bool AreTiny(double a, double b) { return std::abs(a) < kTinyDifference && std::abs(b) < kTinyDifference; }

// 2^n for n in [-1022, 1023], exactly, without a library call.
inline double PowerOfTwo(int n) {
  const std::uint64_t bits = static_cast<std::uint64_t>(n + 1023) << 52;
  double power = 0;
  std::memcpy(&power, &bits, sizeof power);
  return power;
}

// Two factors whose product is 2^k, 0 <= k <= 2000: two since that may lie
// beyond the doubles' range; scaling up by each is exact.
inline void PowerOfTwoFactors(int k, double& first, double& second) {
  first = PowerOfTwo(std::min(k, 1000));
  second = PowerOfTwo(k - std::min(k, 1000));
}

// The exponent e for which the larger of |a| and |b|, not both 0, lies in
// [2^e, 2^(e+1)): scaled by 2^-e (exactly, with std::scalbn), tiny
// differences can be squared and multiplied without underflow.
int UnitExponent(double a, double b);

// (a, b) scaled by 2^-UnitExponent(a, b), exactly: the direction is kept and
// the larger part lies in [1, 2). (0, 0) stays as it is.
void ScaleToUnit(double& a, double& b);

// Squared Euclidean distance of (x1, y1) and (x2, y2): orders points as
// Distance does, one rounding fewer and no root. It underflows to 0 for
// points less than about 1e-154 apart; the callers only compare it with
// limits far above that.
double SquaredDistance(double x1, double y1, double x2, double y2);

// Euclidean distance of (x1, y1) and (x2, y2), also for points a few double
// steps apart: tiny differences are scaled up before they are squared.
double Distance(double x1, double y1, double x2, double y2);

// Arc sine as arctan(x / sqrt(1 - x^2)). At x = +-1, where that formula divides
// by zero, and beyond (rounding in the caller), it gives +-kHalfPi.
double ArcSin(double x);

// In-place max-heap sort of s1[0 .. NN-1] ascending, moving s2 and s3 along.
// Not stable; the tie rules are part of the contract (they decide the order of
// equal keys): while building the heap the right child wins only when strictly
// greater, while extracting also when equal, and a child equal to the saved key
// stays put. Throws std::out_of_range if NN exceeds any array.
void hSort(std::int16_t NN, std::span<double> s1, std::span<double> s2, std::span<double> s3);

}  // namespace pelmic
