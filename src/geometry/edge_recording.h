// SPDX-License-Identifier: MIT
// edge_recording.h - an edge's end points become vertices of the cell.
#pragma once

#include "geometry/cell_vertex_table.h"
#include "geometry/diagram_tables.h"
#include "geometry/edge_piece.h"

namespace pelmic {

// Records both end points of `edge`, the edge of sites i and k (1-based), in
// the cell of i, each unless the cell already holds its exact point, first
// end first.
void RecordEdgeEndPoints(const SiteTable& sites, int i, int k, const Edge& edge, CellVertexTable& cells);

}  // namespace pelmic
