// SPDX-License-Identifier: MIT
// edge_recording.h - an edge's end points become vertices of the cell.
#pragma once

#include "geometry/cell_vertex_table.h"
#include "geometry/diagram_tables.h"
#include "geometry/edge_piece.h"

namespace pelmic {

// Records both end points of `edge` in the cell of site i (1-based), each
// unless the cell already holds it, first end first.
void RecordEdgeEndPoints(const SiteTable& sites, int i, const Edge& edge, CellVertexTable& cells);

}  // namespace pelmic
