// SPDX-License-Identifier: MIT
// pair_bisector.h - the perpendicular bisector of a site pair, clipped to the
// screen, and the points where other sites' bisectors cut it.
//
// The bisector is kept as a point and a direction rather than as
// y = slope * x + intercept: that form has no room for the vertical bisector
// of two sites at the same height, and its slopes blow up for nearly vertical
// ones. The direction points towards growing x (or growing y when vertical),
// so positions along it sort exactly like x does.
#pragma once

#include "geometry/diagram_tables.h"
#include "geometry/screen.h"

namespace pelmic {

struct PairBisector {
  double midX = 0, midY = 0;  // the sites' midpoint, a point of the line
  double dirX = 0, dirY = 0;  // along the line, dirX > 0 or (dirX == 0 and dirY > 0)
  double pairDist = 0;        // Distance of the two sites
  double startAlong = 0, endAlong = 0;  // where the line enters and leaves the screen
  double sameCutAlong = 0;  // cuts no further apart than this along the line are one point

  double PointX(double along) const { return midX + along * dirX; }
  double PointY(double along) const { return midY + along * dirY; }
};

// Cut points closer than this fraction of the screen's larger side, and never
// more than kSameCutLimitPx apart, are one point. Where several bisectors meet
// at one vertex, their crossings with a pair's bisector scatter by rounding
// (about 1e-14 px on a 2000 px screen, growing with the screen); this is far
// above that scatter and, at every screen size, below the 1e-6 px at which two
// cell vertices count as one, so merging never joins vertices the cells keep
// apart, and never drops the edge between them.
inline constexpr double kSameCutFraction = 1e-10;
inline constexpr double kSameCutLimitPx = 5e-7;

// Border points of a bisector within this fraction of the screen's larger side
// of a border are put exactly on it. Rounding leaves them about 1e-16 of the
// screen off; at 16384 px this is still far below the 1e-6 px vertex limit, so
// a bisector that really passes that close to a corner keeps its own vertex.
inline constexpr double kBorderSnapFraction = 1e-11;

// Builds the bisector of sites i and k (1-based), clips it to the screen and
// fills `cuts` with its end points and every crossing a third site adds.
// Returns false when the pair yields no edge: a third site shuts it out, the
// two sites coincide (they have no bisector), or i or k is a later copy of
// another site (it has no cell). A later copy of i or k is no third site.
bool BuildPairCuts(const SiteTable& sites, int i, int k, ScreenSize screen, PairBisector& bisector, CutList& cuts);

}  // namespace pelmic
