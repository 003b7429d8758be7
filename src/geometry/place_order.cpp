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

const Fraction<WideBounded>& WideOf(const PairFrame& frame, const Place& p) {
  if (!p.wideDone) p.wide = PlaceFraction<WideBounded>(frame, p.where);
  p.wideDone = true;
  return p.wide;
}

}  // namespace

int CrossingDenSignExactly(const PairFrame& frame, const Place& p) {
  ++Decisions().exact;
  if (!WideMayDecide(p.approx.den)) return ExactOf(frame, p).den.sign();
  return WideThenExact(WideOf(frame, p).den, [&] { return ExactOf(frame, p).den; }).sign();
}

void SetPlace(Place& p, const PairFrame& frame, const LinePlace& where) {
  if (where.kind == LinePlace::Kind::kCrossing) {
    SetCrossing(p, frame, where.a, where.b);
    return;
  }
  p.where = where;
  p.approx = PlaceFraction<Bounded>(frame, where);
  p.exact.reset();
  p.wideDone = false;
  // A border's den is a difference of two doubles: its sign is the exact one.
  p.denSign = p.approx.den.v > 0 ? 1 : (p.approx.den.v < 0 ? -1 : 0);
}

Place MakePlace(const PairFrame& frame, const LinePlace& where) {
  Place p;
  SetPlace(p, frame, where);
  return p;
}

int PlaceOrderExactly(const PairFrame& frame, const Place& a, const Place& b) {
  ++Decisions().exact;
  if (!WideMayDecide(PlaceOrder(a.approx, b.approx))) return PlaceOrder(ExactOf(frame, a), ExactOf(frame, b)).sign();
  return WideThenExact(PlaceOrder(WideOf(frame, a), WideOf(frame, b)),
                       [&] { return PlaceOrder(ExactOf(frame, a), ExactOf(frame, b)); })
      .sign();
}

int NumSign(const PairFrame& frame, const Place& p) {
  return SignWith(p.approx.num, [&] {
    if (!WideMayDecide(p.approx.num)) return SignOnly{ExactOf(frame, p).num.sign()};
    return WideThenExact(WideOf(frame, p).num, [&] { return ExactOf(frame, p).num; });
  });
}

}  // namespace pelmic
