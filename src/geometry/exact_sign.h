// SPDX-License-Identifier: MIT
// exact_sign.h - the sign of a predicate, decided from its bounded double
// value where that settles it and in exact rational arithmetic where not.
//
// A predicate is written once, as a generic function of a number type, and
// evaluated first with Bounded and, only when its sign is not proven, exactly
// with Dyadic: no predicate divides (fractions are compared by
// cross-multiplying). Every double converts to a Dyadic exactly, so the
// second answer is the sign of the exact expression on the given doubles,
// whatever their size.
#pragma once

#include <cstdint>

#include "geometry/bounded.h"
#include "geometry/dyadic.h"
#include "geometry/precise_bounded.h"
#include "geometry/wide_bounded.h"

namespace pelmic {

inline DecisionCounts& Decisions() { return decisionCounts; }

inline int SignOfBounded(const Bounded& b) { return b.v > 0 ? 1 : -1; }

// Where the doubles' bound is no more than their underflow allowance, the
// wide bound may settle what they left open; elsewhere the precise one may
// (a value within rounding of the terms), and only exact arithmetic settles
// a value that is 0 (cocircular sites).
inline bool WideMayDecide(const Bounded& fast) { return fast.e < 0x1p-1000; }

// The exact sign: the middle stage's (WideBounded or PreciseBounded) where it
// proves one, else `exact`'s.
struct SignOnly {
  int value;
  int sign() const { return value; }
};
template <class Middle, class Exact>
SignOnly MiddleThenExact(const Middle& middle, const Exact& exact) {
  const int known = middle.KnownSign();
  return {known != 0 ? known : exact().sign()};
}

// The exact sign where the doubles' value `fast` left it open: in the middle
// stage that fits why (`wide()` where their bound is within their underflow
// allowance, `precise()` elsewhere), then `exact()`.
template <class Wide, class Precise, class Exact>
SignOnly SignPastDoubles(const Bounded& fast, const Wide& wide, const Precise& precise, const Exact& exact) {
  if (WideMayDecide(fast)) return MiddleThenExact(wide(), exact);
  return MiddleThenExact(precise(), exact);
}

// The sign of the exact value that `fast` bounds; `exact` computes it (any
// type with sign()) when the bound leaves the sign open.
template <class Exact>
int SignWith(const Bounded& fast, const Exact& exact) {
  if (fast.SignKnown()) [[likely]] {
    ++Decisions().fast;
    return SignOfBounded(fast);
  }
  ++Decisions().exact;
  return exact().sign();
}

// The sign of expr(T{}) for exact arithmetic, expr a generic callable that
// does not divide: in doubles with a bound, then in the middle stage that
// fits why they left it open, then exactly.
template <class Expr>
int SignOf(const Expr& expr) {
  const Bounded fast = expr(Bounded{});
  return SignWith(fast, [&] {
    return SignPastDoubles(
        fast, [&] { return expr(WideBounded{}); }, [&] { return expr(PreciseBounded{}); },
        [&] { return expr(Dyadic{}); });
  });
}

}  // namespace pelmic
