// SPDX-License-Identifier: MIT
#include "geometry/numeric.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace pelmic {

double SquaredDistance(double x1, double y1, double x2, double y2) {
  const double dx = x2 - x1;
  const double dy = y2 - y1;
  return dx * dx + dy * dy;
}

int UnitExponent(double a, double b) { return std::ilogb(std::max(std::abs(a), std::abs(b))); }

void ScaleToUnit(double& a, double& b) {
  if (a == 0 && b == 0) return;
  const int e = UnitExponent(a, b);
  a = std::scalbn(a, -e);
  b = std::scalbn(b, -e);
}

double Distance(double x1, double y1, double x2, double y2) {
  const double dx = x2 - x1;
  const double dy = y2 - y1;
  if (AreTiny(dx, dy) && (dx != 0 || dy != 0)) [[unlikely]] {
    const int e = UnitExponent(dx, dy);
    return std::scalbn(Distance(0, 0, std::scalbn(dx, -e), std::scalbn(dy, -e)), e);
  }
  return std::sqrt(dx * dx + dy * dy);
}

double ArcSin(double x) {
  if (x >= 1.0) return kHalfPi;
  if (x <= -1.0) return -kHalfPi;
  const double r = std::sqrt(1.0 - x * x);
  return std::atan(x / r);
}

namespace {

// Heap positions are 1-based: position p is element p - 1.
struct HeapArrays {
  std::span<double> s1, s2, s3;

  void Move(int from, int to) const {
    s1[to - 1] = s1[from - 1];
    s2[to - 1] = s2[from - 1];
    s3[to - 1] = s3[from - 1];
  }
};

struct Triple {
  double t1, t2, t3;
};

Triple Take(const HeapArrays& a, int index) { return {a.s1[index], a.s2[index], a.s3[index]}; }

void Put(const HeapArrays& a, int index, const Triple& t) {
  a.s1[index] = t.t1;
  a.s2[index] = t.t2;
  a.s3[index] = t.t3;
}

// Sifts the saved triple down from position p in a heap of n positions.
// `rightOnEqual` selects the extraction phase's tie rule.
void SiftDown(const HeapArrays& a, int p, int n, const Triple& saved, bool rightOnEqual) {
  while (2 * p <= n) {
    int c = 2 * p;
    if (c + 1 <= n) {
      const double left = a.s1[c - 1];
      const double right = a.s1[c];
      if (rightOnEqual ? left <= right : left < right) c = c + 1;
    }
    if (a.s1[c - 1] <= saved.t1) break;
    a.Move(c, p);
    p = c;
  }
  Put(a, p - 1, saved);
}

}  // namespace

void hSort(std::int16_t NN, std::span<double> s1, std::span<double> s2, std::span<double> s3) {
  if (NN < 0 || static_cast<std::size_t>(NN) > s1.size() || static_cast<std::size_t>(NN) > s2.size() ||
      static_cast<std::size_t>(NN) > s3.size()) {
    throw std::out_of_range("hSort: count beyond the arrays");
  }
  const HeapArrays a{s1, s2, s3};
  const int n = NN;
  for (int h = n / 2; h >= 1; --h) {
    SiftDown(a, h, n, Take(a, h - 1), false);
  }
  for (int last = n - 1; last >= 1; --last) {
    const Triple saved = Take(a, last);
    Put(a, last, Take(a, 0));
    SiftDown(a, 1, last, saved, true);
  }
}

}  // namespace pelmic
