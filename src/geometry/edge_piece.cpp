// SPDX-License-Identifier: MIT
#include "geometry/edge_piece.h"

#include <span>

#include "geometry/numeric.h"

namespace pelmic {
namespace {

// True when no site other than i and k is strictly nearer than i to the
// midpoint of the piece between cuts `from` and `to`, judged by each third
// site's bisector that BuildPairCuts chose. k is never asked: the midpoint is
// on its bisector with i.
bool PieceQualifies(const SiteTable& sites, int i, int k, const PairBisector& bisector, const CutList& cuts, int from,
                    int to) {
  const double probeAlong = (cuts.cutAux.at(from) + cuts.cutAux.at(to)) / 2;
  const double probeX = bisector.PointX(probeAlong);
  const double probeY = bisector.PointY(probeAlong);
  for (int q = 1; q <= sites.siteCount; ++q) {
    if (q == i || q == k) continue;
    if (cuts.thirdSite.at(q - 1).SideOf(probeX, probeY) > 0) return false;
  }
  return true;
}

// The last cut of the run of cuts from `first` on that lie within the bisector's
// same-cut distance of their predecessor: together they are one point.
int LastOfPoint(const CutList& cuts, const PairBisector& bisector, int first) {
  int last = first;
  while (last + 1 < cuts.cutCount && cuts.cutAux.at(last + 1) - cuts.cutAux.at(last) <= bisector.sameCutAlong) ++last;
  return last;
}

}  // namespace

std::optional<Edge> FindEdgePiece(const SiteTable& sites, int i, int k, const PairBisector& bisector, CutList& cuts) {
  // Sorting on the position along the bisector, x and y travel along.
  hSort(cuts.cutCount, std::span<double>(cuts.cutAux), std::span<double>(cuts.cutX), std::span<double>(cuts.cutY));
  const int cutCount = cuts.cutCount;
  const int firstLast = LastOfPoint(cuts, bisector, 0);
  if (firstLast == cutCount - 1) {
    // The whole bisector within the screen is one point: sites a few double
    // steps apart at a corner. It is still their edge if no site is nearer
    // there, and the cell needs it as a vertex beside its site.
    if (!PieceQualifies(sites, i, k, bisector, cuts, 0, firstLast)) return std::nullopt;
    return Edge{cuts.cutX.at(0), cuts.cutY.at(0), cuts.cutX.at(firstLast), cuts.cutY.at(firstLast)};
  }
  // A piece runs from the last cut of one point to the first cut of the next.
  for (int from = firstLast; from + 1 < cutCount;) {
    const int to = from + 1;
    const int toLast = LastOfPoint(cuts, bisector, to);
    if (!PieceQualifies(sites, i, k, bisector, cuts, from, to)) {
      from = toLast;
      continue;
    }
    int end = to;
    for (int endLast = toLast; endLast + 1 < cutCount;) {
      if (!PieceQualifies(sites, i, k, bisector, cuts, endLast, endLast + 1)) break;
      end = endLast + 1;
      endLast = LastOfPoint(cuts, bisector, end);
    }
    return Edge{cuts.cutX.at(from), cuts.cutY.at(from), cuts.cutX.at(end), cuts.cutY.at(end)};
  }
  return std::nullopt;
}

}  // namespace pelmic
