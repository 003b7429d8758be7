// SPDX-License-Identifier: MIT
#include "geometry/edge_recording.h"

#include <utility>

namespace pelmic {
namespace {

void RecordEnd(const SiteTable& sites, int i, int k, double x, double y, double bound, const LinePlace& place,
               CellVertexTable& cells) {
  const int row = SlotOf(i);
  const double sx = sites.X(i), sy = sites.Y(i);
  // One candidate for both steps: an exact point worked out for the test is
  // kept. The end's own bound bounds the exact point too.
  VertexExact candidate{{sites.X(k), sites.Y(k), place}, Bounded(x, bound), Bounded(y, bound), {}};
  if (!cells.IsCellVertex(row, candidate, sx, sy)) cells.AddPreparedVertex(row, x, y, sx, sy, std::move(candidate));
}

}  // namespace

void RecordEdgeEndPoints(const SiteTable& sites, int i, int k, const Edge& edge, CellVertexTable& cells) {
  RecordEnd(sites, i, k, edge.x1, edge.y1, edge.bound1, edge.place1, cells);
  RecordEnd(sites, i, k, edge.x2, edge.y2, edge.bound2, edge.place2, cells);
}

}  // namespace pelmic
