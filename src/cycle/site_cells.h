// SPDX-License-Identifier: MIT
// site_cells.h - every site's cell, one after another, as the cycle builds them.
//
// The sites nearest to the screen corners first; then, for each site in
// order, each of its partners in order, with a yield before every pair's
// work; then the cell's screen corners, the angular order of its vertices and
// its area. What is found goes to the sink at once: the cycle draws it, the
// renderer and the tests keep it. The cycle resumes these steps from its own
// (a yield can only be made in the body that yields); everyone else runs them
// to the end without stopping:
//
//   BuildAllCells(tables, screen, [](int i, int k, const Edge& edge) { ... });
#pragma once

#include <functional>

#include "cycle/steps.h"
#include "geometry/diagram_tables.h"
#include "geometry/edge_piece.h"
#include "geometry/screen.h"

namespace pelmic {

class CellSink {
 public:
  // An edge of the cell of site i (1-based) shared with site k, its end
  // points already recorded in the cell.
  virtual void EdgeFound(int i, int k, const Edge& edge) = 0;
  // The cell of site i is complete, its area in tables.cellArea.
  virtual void CellFinished(int i) = 0;

 protected:
  ~CellSink() = default;
};

// The cells of tables.sites into tables.cells and tables.cellArea (and the
// corner sites into tables.corners); yields (mark 0) before each ordered pair
// of distinct sites, and nowhere else.
Steps SiteCells(DiagramTables& tables, ScreenSize screen, CellSink& sink);

// The same cells without stopping, each edge handed to `onEdge`.
using EdgeCallback = std::function<void(int i, int k, const Edge& edge)>;
void BuildAllCells(DiagramTables& tables, ScreenSize screen, const EdgeCallback& onEdge = {});

}  // namespace pelmic
