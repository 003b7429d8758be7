// SPDX-License-Identifier: MIT
#include "geometry/place_order.h"

#include "geometry/exact_sign.h"

namespace pelmic {

struct ExactFraction : Fraction<Dyadic> {};

namespace {

const Fraction<Dyadic>& ExactOf(const PairFrame& frame, const Place& p) {
  if (!p.exact) p.exact = std::make_shared<const ExactFraction>(ExactFraction{PlaceFraction<Dyadic>(frame, p.where)});
  return *p.exact;
}

}  // namespace

Place MakePlace(const PairFrame& frame, const LinePlace& where) {
  Place p{where, PlaceFraction<Bounded>(frame, where), 0, nullptr};
  if (where.kind == LinePlace::Kind::kCrossing) {
    p.denSign = SignWith(p.approx.den, [&] { return ExactOf(frame, p).den; });
  } else {
    // A border's den is a difference of two doubles: its sign is the exact one.
    p.denSign = p.approx.den.v > 0 ? 1 : (p.approx.den.v < 0 ? -1 : 0);
  }
  return p;
}

int ComparePlacesExactly(const PairFrame& frame, const Place& a, const Place& b) {
  ++Decisions().exact;
  const Fraction<Dyadic>& fa = ExactOf(frame, a);
  const Fraction<Dyadic>& fb = ExactOf(frame, b);
  return (fa.num * fb.den - fb.num * fa.den).sign() * a.denSign * b.denSign;
}

int NumSign(const PairFrame& frame, const Place& p) {
  return SignWith(p.approx.num, [&] { return ExactOf(frame, p).num; });
}

}  // namespace pelmic
