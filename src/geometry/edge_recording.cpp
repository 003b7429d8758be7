// SPDX-License-Identifier: MIT
#include "geometry/edge_recording.h"

namespace pelmic {

void RecordEdgeEndPoints(const SiteTable& sites, int i, const Edge& edge, CellVertexTable& cells) {
  const int row = i - 1;
  if (!cells.IsCellVertex(row, edge.x1, edge.y1)) cells.AddCellVertex(row, edge.x1, edge.y1, sites.X(i), sites.Y(i));
  if (!cells.IsCellVertex(row, edge.x2, edge.y2)) cells.AddCellVertex(row, edge.x2, edge.y2, sites.X(i), sites.Y(i));
}

}  // namespace pelmic
