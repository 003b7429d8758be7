// SPDX-License-Identifier: MIT
#include "area/cell_finish.h"

#include "area/angular_order.h"
#include "area/cell_area.h"
#include "geometry/screen_corners.h"

namespace pelmic {

void FinishCell(DiagramTables& tables, int i, ScreenSize screen) {
  const int row = SlotOf(i);
  const double sx = tables.sites.X(i), sy = tables.sites.Y(i);
  AddScreenCorners(tables.sites, tables.corners, i, screen, tables.cells);
  OrderCellVertices(tables.cells, row, sx, sy);
  tables.cellArea.at(row) = ComputeCellArea(tables.cells, row, sx, sy);
}

}  // namespace pelmic
