// SPDX-License-Identifier: MIT
#include "geometry/pair_work.h"

#include "geometry/edge_recording.h"
#include "geometry/pair_bisector.h"

namespace pelmic {

std::optional<Edge> DoPairWork(DiagramTables& tables, int i, int k, ScreenSize screen) {
  PairBisector bisector;
  if (!BuildPairCuts(tables.sites, i, k, screen, bisector, tables.cuts)) return std::nullopt;
  std::optional<Edge> edge = FindEdgePiece(tables.sites, i, k, bisector, tables.cuts, screen);
  if (edge) RecordEdgeEndPoints(tables.sites, i, k, *edge, tables.cells);
  return edge;
}

}  // namespace pelmic
