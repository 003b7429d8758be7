// SPDX-License-Identifier: MIT
// site_cell.h - the whole per-site work: every partner pair in order, then the
// corners, the angular order and the area.
//
// The cycle yields between pairs and draws each edge as it is found; the
// renderer and the tests run the same work without a screen. Both go through
// here so that there is one order of work, not two.
#pragma once

#include <functional>

#include "geometry/diagram_tables.h"
#include "geometry/edge_piece.h"
#include "geometry/screen.h"

namespace pelmic {

struct SiteCellHooks {
  // Called before each pair's work; returning false abandons the cell at once.
  std::function<bool()> beforePair;
  // Called with each edge found, after its end points are recorded.
  std::function<void(int i, int k, const Edge& edge)> onEdge;
};

// Builds the cell of site i (1-based) into tables.cells and tables.cellArea.
// Returns false when beforePair asked to stop; the cell is then unfinished.
bool BuildSiteCell(DiagramTables& tables, int i, ScreenSize screen, const SiteCellHooks& hooks);

// The corner searches and every site's cell, as one cycle computes them.
void BuildAllCells(DiagramTables& tables, ScreenSize screen,
                   const std::function<void(int i, int k, const Edge& edge)>& onEdge = {});

}  // namespace pelmic
