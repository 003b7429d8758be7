// SPDX-License-Identifier: MIT
// pair_work.h - the work of one ordered site pair: bisector, cut points, edge
// piece, and the edge's end points recorded in the cell of i.
#pragma once

#include <optional>

#include "geometry/diagram_tables.h"
#include "geometry/edge_piece.h"
#include "geometry/screen.h"

namespace pelmic {

// Returns the edge of the cell of site i (1-based) shared with site k, after
// recording its end points in the cell; nothing when the pair has no edge.
// The caller draws the edge.
std::optional<Edge> DoPairWork(DiagramTables& tables, int i, int k, ScreenSize screen);

}  // namespace pelmic
