// SPDX-License-Identifier: MIT
#include "geometry/edge_piece.h"

#include <stdexcept>

namespace pelmic {
namespace {

// The part of the segment where no third site is strictly nearer than i runs
// from the latest place where some site stops being nearer (or the start) to
// the earliest where one starts (or the end): each site is nearer on one side
// of its crossing only, and not at all or everywhere where its bisector runs
// parallel. Ties keep the place found first, the border before any crossing.
struct Stretch {
  const Place* from;
  const Place* to;
  bool empty = false;
};

Stretch QualifyingStretch(const SiteTable& sites, int i, int k, const PairBisector& bisector, const CutList& cuts) {
  const PairFrame& frame = bisector.frame;
  Stretch s{&bisector.start, &bisector.end};
  for (int q = 1; q <= sites.siteCount && !s.empty; ++q) {
    if (q == i || q == k || !cuts.takesPart.at(SlotOf(q))) continue;
    const Place& place = cuts.thirdPlace.at(SlotOf(q));
    if (place.denSign == 0) {
      s.empty = NumSign(frame, place) < 0;
    } else if (place.denSign < 0 ? ComparePlaces(frame, place, *s.from) > 0 : ComparePlaces(frame, place, *s.to) < 0) {
      (place.denSign < 0 ? s.from : s.to) = &place;
      // Once the stretch is no longer than a point, no later site can give it length.
      s.empty = ComparePlaces(frame, *s.from, *s.to) >= 0;
    }
  }
  // An edge has length: where the stretch is a point, the cells only touch.
  s.empty = s.empty || ComparePlaces(frame, *s.from, *s.to) >= 0;
  return s;
}

// Every end of the stretch is a cut, since a crossing strictly inside the
// segment is always appended.
void ExpectCut(const CutList& cuts, const Place& place) {
  for (int c = 0; c < cuts.cutCount; ++c) {
    if (SamePlace(cuts.cutPlace.at(c), place.where)) return;
  }
  throw std::logic_error("an end of the edge is no cut point");
}

}  // namespace

std::optional<Edge> FindEdgePiece(const SiteTable& sites, int i, int k, const PairBisector& bisector, CutList& cuts,
                                  ScreenSize screen) {
  const Stretch s = QualifyingStretch(sites, i, k, bisector, cuts);
  if (s.empty) return std::nullopt;
  ExpectCut(cuts, *s.from);
  ExpectCut(cuts, *s.to);
  const ResolvedPoint p1 = ResolvePoint(sites, i, k, bisector, *s.from, screen);
  const ResolvedPoint p2 = ResolvePoint(sites, i, k, bisector, *s.to, screen);
  return Edge{p1.x, p1.y, p2.x, p2.y, s.from->where, s.to->where, p1.bound, p2.bound};
}

}  // namespace pelmic
