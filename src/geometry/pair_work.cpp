// SPDX-License-Identifier: MIT
#include "geometry/pair_work.h"

#include "geometry/edge_recording.h"
#include "geometry/pair_bisector.h"

namespace pelmic {

std::optional<Edge> DoPairWork(DiagramTables& tables, int i, int k, ScreenSize screen) {
  PairBisector bisector;
  if (!BuildPairCuts(tables.sites, i, k, screen, bisector, tables.cuts)) return std::nullopt;
  std::optional<Edge> edge = FindEdgePiece(tables.sites, i, k, bisector, tables.cuts);
  if (!edge) return edge;
  ResolvePoint(tables.sites, i, k, bisector, edge->place1, screen, edge->x1, edge->y1);
  ResolvePoint(tables.sites, i, k, bisector, edge->place2, screen, edge->x2, edge->y2);
  RecordEdgeEndPoints(tables.sites, i, k, *edge, tables.cells);
  return edge;
}

}  // namespace pelmic
