// SPDX-License-Identifier: MIT
#include "cycle/site_cells.h"

#include "area/angular_order.h"
#include "area/cell_area.h"
#include "geometry/pair_work.h"
#include "geometry/screen_corners.h"

namespace pelmic {
namespace {

// What happens to the cell of site i once all its partners are done.
void FinishCell(DiagramTables& tables, int i, ScreenSize screen) {
  const int row = SlotOf(i);
  const double sx = tables.sites.X(i), sy = tables.sites.Y(i);
  AddScreenCorners(tables.sites, tables.corners, i, screen, tables.cells);
  OrderCellVertices(tables.cells, row, sx, sy);
  tables.cellArea.at(row) = ComputeCellArea(tables.cells, row, sx, sy);
}

// A sink that hands on the edges alone.
class EdgeHandler final : public CellSink {
 public:
  explicit EdgeHandler(const EdgeCallback& onEdge) : onEdge_(onEdge) {}
  void EdgeFound(int i, int k, const Edge& edge) override {
    if (onEdge_) onEdge_(i, k, edge);
  }
  void CellFinished(int) override {}

 private:
  const EdgeCallback& onEdge_;
};

}  // namespace

Steps SiteCells(DiagramTables& tables, ScreenSize screen, CellSink& sink) {
  tables.corners = FindCornerSites(tables.sites, screen);
  const int siteCount = tables.sites.siteCount;
  for (int i = 1; i <= siteCount; ++i) {
    tables.cells.ResetCell(SlotOf(i));
    for (int k = 1; k <= siteCount; ++k) {
      if (k == i) continue;
      co_yield 0;
      if (const std::optional<Edge> edge = DoPairWork(tables, i, k, screen)) sink.EdgeFound(i, k, *edge);
    }
    FinishCell(tables, i, screen);
    sink.CellFinished(i);
  }
}

void BuildAllCells(DiagramTables& tables, ScreenSize screen, const EdgeCallback& onEdge) {
  EdgeHandler sink(onEdge);
  for (Steps cells = SiteCells(tables, screen, sink); cells.Resume();) {
  }
}

}  // namespace pelmic
