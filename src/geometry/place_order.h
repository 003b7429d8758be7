// SPDX-License-Identifier: MIT
// place_order.h - exact order of places along a pair's bisector.
#pragma once

#include <memory>

#include "geometry/bounded.h"
#include "geometry/line_place.h"
#include "geometry/precise_bounded.h"
#include "geometry/wide_bounded.h"

namespace pelmic {

struct ExactFraction;

// A place with its position bounded in doubles, worked out once, and the
// exact sign of its den (0 for a crossing by a bisector parallel to the line).
// Its exact position is worked out the first time a decision needs it and
// kept: where many bisectors meet at one vertex, every decision there does.
struct Place {
  LinePlace where;
  Fraction<Bounded> approx;
  int denSign = 0;
  mutable std::shared_ptr<const ExactFraction> exact;
  // The middle stages', the same way.
  mutable Fraction<WideBounded> wide;
  mutable Fraction<PreciseBounded> precise;
  mutable bool wideDone = false, preciseDone = false;

  // For a place written over: none of its stages is worked out yet.
  void ForgetStages() {
    exact.reset();
    wideDone = preciseDone = false;
  }
};

Place MakePlace(const PairFrame& frame, const LinePlace& where);
// The same, written over `p`.
void SetPlace(Place& p, const PairFrame& frame, const LinePlace& where);

// The exact sign of a crossing's den, where the bounded one leaves it open.
int CrossingDenSignExactly(const PairFrame& frame, const Place& p);

// MakePlace for the crossing of third site (mx, my), written over `p`: once
// per pair and third site, the hottest path of the construction.
inline void SetCrossing(Place& p, const PairFrame& frame, double mx, double my) {
  p.where = {LinePlace::Kind::kCrossing, mx, my};
  p.approx = PlaceFraction<Bounded>(frame, p.where);
  p.ForgetStages();
  if (p.approx.den.SignKnown()) [[likely]] {
    ++decisionCounts.fast;
    p.denSign = p.approx.den.v > 0 ? 1 : -1;
  } else {
    p.denSign = CrossingDenSignExactly(frame, p);
  }
}

// a.num / a.den - b.num / b.den, times a.den * b.den: its sign and the dens'
// order two places.
template <class T>
T PlaceOrder(const Fraction<T>& a, const Fraction<T>& b) {
  return a.num * b.den - b.num * a.den;
}

// The exact sign of PlaceOrder, where the bounded one leaves it open.
int PlaceOrderExactly(const PairFrame& frame, const Place& a, const Place& b);

// -1, 0 or +1 as a comes before, at or after b along the line; both dens nonzero.
inline int ComparePlaces(const PairFrame& frame, const Place& a, const Place& b) {
  const Bounded fast = PlaceOrder(a.approx, b.approx);
  int sign;
  if (fast.SignKnown()) [[likely]] {
    ++decisionCounts.fast;
    sign = fast.v > 0 ? 1 : -1;
  } else {
    sign = PlaceOrderExactly(frame, a, b);
  }
  return sign * a.denSign * b.denSign;
}

// For a crossing whose den is 0: the sign of num, exactly. The third site is
// then nearer than i to every point of the line where num < 0, and to none
// where num > 0.
int NumSign(const PairFrame& frame, const Place& p);

// The sign, at place `at`, of the third site m's side of its bisector with i:
// +1 where m is strictly nearer than i, 0 on the bisector, -1 where farther.
// Inline: it runs twice per pair and third site.
inline int ThirdSiteSide(const PairFrame& frame, const Place& m, const Place& at) {
  if (m.denSign == 0) [[unlikely]] return -NumSign(frame, m);
  return m.denSign * ComparePlaces(frame, at, m);
}

}  // namespace pelmic
