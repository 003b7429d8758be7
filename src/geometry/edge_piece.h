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
};

// Sorts the pair's cut points along the bisector and returns the edge of the
// cell of i shared with k: the first piece from the left whose midpoint has
// no site strictly nearer than i, run on through the pieces right after it
// that qualify too. Cuts within the bisector's same-cut distance of each
// other are one point: where several bisectors meet at a vertex their cuts
// scatter by rounding, and the slivers between them would otherwise stand in
// for the edge or end the search before it. Exactly one piece qualifies in
// exact arithmetic; running on keeps rounding at a nearly degenerate vertex
// from splitting the edge.
std::optional<Edge> FindEdgePiece(const SiteTable& sites, int i, int k, const PairBisector& bisector, CutList& cuts);

}  // namespace pelmic
