// SPDX-License-Identifier: MIT
#include "area/cell_finish.h"

#include "area/angular_order.h"
#include "area/cell_area.h"
#include "geometry/screen_corners.h"

namespace pelmic {

void FinishCell(DiagramTables& tables, int i, ScreenSize screen) {
  const int row = i - 1;
  AddScreenCorners(tables.sites, tables.corners, i, screen, tables.cells);
  AngleVerticesAtTheSite(tables.cells, row, tables.sites.X(i), tables.sites.Y(i));
  OrderCellVertices(tables.cells, row);
  SettleNearAngles(tables.cells, row, tables.sites.X(i), tables.sites.Y(i));
  tables.cellArea.at(row) = ComputeCellArea(tables.cells, row, tables.sites.X(i), tables.sites.Y(i));
}

}  // namespace pelmic
