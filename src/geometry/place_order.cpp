// SPDX-License-Identifier: MIT
#include "geometry/place_order.h"

#include "geometry/exact_sign.h"

namespace pelmic {

// A place's exact fraction, and its leading digits for the last filter.
struct ExactFraction {
  Fraction<Dyadic> exact;
  Fraction<WideBounded> lead;
};

namespace {

// An exact value's leading digits, a double with its exponent, within
// 2^-52 of it.
WideBounded LeadOf(const Dyadic& value) {
  if (value.sign() == 0) return WideBounded(0.0);
  int exponent = 0;
  const double fraction = value.Leading(exponent);
  return {value.sign() * fraction, 0x1p-52 * fraction, exponent};
}

const ExactFraction& ExactOf(const PairFrame& frame, const Place& p) {
  if (!p.exact) {
    const Fraction<Dyadic> exact = PlaceFraction<Dyadic>(frame, p.where);
    p.exact = std::make_shared<const ExactFraction>(ExactFraction{exact, {LeadOf(exact.num), LeadOf(exact.den)}});
  }
  return *p.exact;
}

const Fraction<WideBounded>& WideOf(const PairFrame& frame, const Place& p) {
  if (!p.wideDone) p.wide = PlaceFraction<WideBounded>(frame, p.where);
  p.wideDone = true;
  return p.wide;
}

const Fraction<PreciseBounded>& PreciseOf(const PairFrame& frame, const Place& p) {
  if (!p.preciseDone) p.precise = PlaceFraction<PreciseBounded>(frame, p.where);
  p.preciseDone = true;
  return p.precise;
}

// The exact sign of part(of), where the doubles' value `fast` left it open:
// `of(place)` gives the place's fraction in the middle stage that fits why,
// then in the leading digits of the exact fractions, and only where those
// leave it open too from the exact products (most of the exact path's work:
// fractions whose parts span a thousand bits multiply into products twice
// as long).
template <class Part>
int SignAfterDoubles(const PairFrame& frame, const Bounded& fast, const Part& part) {
  const auto wideOf = [&](const Place& p) -> const Fraction<WideBounded>& { return WideOf(frame, p); };
  const auto preciseOf = [&](const Place& p) -> const Fraction<PreciseBounded>& { return PreciseOf(frame, p); };
  const auto leadOf = [&](const Place& p) -> const Fraction<WideBounded>& { return ExactOf(frame, p).lead; };
  const auto exactOf = [&](const Place& p) -> const Fraction<Dyadic>& { return ExactOf(frame, p).exact; };
  return SignPastDoubles(
             fast, [&] { return part(wideOf); }, [&] { return part(preciseOf); },
             [&] { return MiddleThenExact(part(leadOf), [&] { return part(exactOf); }); })
      .sign();
}

}  // namespace

int CrossingDenSignExactly(const PairFrame& frame, const Place& p) {
  ++Decisions().exact;
  return SignAfterDoubles(frame, p.approx.den, [&](const auto& of) { return of(p).den; });
}

void SetPlace(Place& p, const PairFrame& frame, const LinePlace& where) {
  if (where.kind == LinePlace::Kind::kCrossing) {
    SetCrossing(p, frame, where.a, where.b);
    return;
  }
  p.where = where;
  p.approx = PlaceFraction<Bounded>(frame, where);
  p.ForgetStages();
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
  return SignAfterDoubles(frame, PlaceOrder(a.approx, b.approx), [&](const auto& of) { return PlaceOrder(of(a), of(b)); });
}

int NumSign(const PairFrame& frame, const Place& p) {
  return SignWith(p.approx.num, [&] {
    return SignOnly{SignAfterDoubles(frame, p.approx.num, [&](const auto& of) { return of(p).num; })};
  });
}

}  // namespace pelmic
