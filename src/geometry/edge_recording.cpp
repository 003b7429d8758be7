// SPDX-License-Identifier: MIT
#include "geometry/edge_recording.h"

namespace pelmic {
namespace {

void RecordEnd(const SiteTable& sites, int i, int k, double x, double y, const LinePlace& place,
               CellVertexTable& cells) {
  const int row = SlotOf(i);
  const VertexSource source{sites.X(k), sites.Y(k), place};
  if (!cells.IsCellVertex(row, x, y, sites.X(i), sites.Y(i), source)) {
    cells.AddCellVertex(row, x, y, sites.X(i), sites.Y(i), source);
  }
}

}  // namespace

void RecordEdgeEndPoints(const SiteTable& sites, int i, int k, const Edge& edge, CellVertexTable& cells) {
  RecordEnd(sites, i, k, edge.x1, edge.y1, edge.place1, cells);
  RecordEnd(sites, i, k, edge.x2, edge.y2, edge.place2, cells);
}

}  // namespace pelmic
