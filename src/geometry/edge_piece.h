// SPDX-License-Identifier: MIT
// edge_piece.h - which stretch of a pair's clipped bisector is the pair's
// Voronoi edge.
#pragma once

#include <optional>

#include "geometry/diagram_tables.h"
#include "geometry/pair_bisector.h"

namespace pelmic {

struct Edge {
  double x1, y1;  // the end met first along the bisector (smaller x)
  double x2, y2;
  LinePlace place1, place2;  // the exact places of the two ends on the pair's bisector
  // How far each end may lie from its exact point on either axis.
  double bound1 = 0, bound2 = 0;
};

// Returns the edge of the cell of i shared with k: the pieces between the
// pair's cut points on which no site is strictly nearer than i. They form
// one run (the part of a line in a convex cell), found exactly from where
// each third site's bisector crosses the line, without sorting the cuts or
// probing each piece: every piece of the run qualifies however short, and a
// run that is a single point (cells touching at a vertex) is no edge.
// The edge's ends are placed by ResolvePoint.
std::optional<Edge> FindEdgePiece(const SiteTable& sites, int i, int k, const PairBisector& bisector, CutList& cuts,
                                  ScreenSize screen);

}  // namespace pelmic
