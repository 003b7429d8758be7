// SPDX-License-Identifier: MIT
// pair_bisector.h - the perpendicular bisector of a site pair, clipped to the
// screen, and the points where other sites' bisectors cut it.
//
// The bisector is kept as a point and a direction rather than as
// y = slope * x + intercept: that form has no room for the vertical bisector
// of two sites at the same height, and its slopes blow up for nearly vertical
// ones. The direction points towards growing x (or growing y when vertical),
// so positions along it sort exactly like x does. Every decision (which
// border an end lies on, which side of a third site's bisector it lies on)
// is made exactly on the sites' doubles; the rounded line only places the
// points that are drawn, and those are checked against a proven bound.
#pragma once

#include <optional>

#include "geometry/diagram_tables.h"
#include "geometry/place_order.h"
#include "geometry/screen.h"

namespace pelmic {

// The line mid + along * dir in doubles, and where it enters and leaves the
// screen: the construction that places the drawn points.
struct RoundedLine {
  double midX = 0, midY = 0;  // the sites' midpoint, a point of the line
  double dirX = 0, dirY = 0;  // along the line, dirX > 0 or (dirX == 0 and dirY > 0)
  double startAlong = 0, endAlong = 0;

  double PointX(double along) const { return midX + along * dirX; }
  double PointY(double along) const { return midY + along * dirY; }
};

struct PairBisector {
  double pairDist = 0;  // Distance of the two sites
  PairFrame frame;      // the exact line
  Place start, end;     // the borders it enters and leaves through
  // The second border at an end that is a screen corner (kind kNone otherwise).
  LinePlace startCorner, endCorner;
  // The rounded line, worked out for the first point drawn on it.
  mutable std::optional<RoundedLine> drawn;
};

// Builds the bisector of sites i and k (1-based), clips it to the screen and
// fills `cuts` with the places of its end points and of every crossing a
// third site adds.
// Returns false when the pair yields no edge: a third site shuts it out, the
// two sites coincide (they have no bisector), or i or k is a later copy of
// another site (it has no cell). A later copy of i or k is no third site.
bool BuildPairCuts(const SiteTable& sites, int i, int k, ScreenSize screen, PairBisector& bisector, CutList& cuts);

// Farthest a drawn or recorded point may lie from its exact point on either
// axis: within 1e-6 px of it in all.
inline constexpr double kPointBound = 0x1p-21;

// A drawn or recorded point, and how far it may lie from its exact point on
// either axis (at most kPointBound).
struct ResolvedPoint {
  double x = 0, y = 0;
  double bound = 0;
};

// The point the construction draws and records for `place` (a cut of the
// pair): the rounded line's, where a bound worked out on that very point
// keeps it within kPointBound of the exact one, else the exact point rounded
// once. The rounded line's points are those of the double construction,
// which random sites keep.
ResolvedPoint ResolvePoint(const SiteTable& sites, int i, int k, const PairBisector& bisector, const Place& place,
                           ScreenSize screen);

}  // namespace pelmic
