#include "geometry/edge_piece.h"

#include <span>

#include "geometry/numeric.h"

namespace pelmic {
namespace {

// True when no site other than i and k is strictly nearer to the piece's
// midpoint than i. k is never asked: the midpoint is on the bisector.
bool PieceQualifies(const SiteTable& sites, int i, int k, const PairBisector& bisector, const CutList& cuts,
                    int pieceIdx) {
  const double probeAlong = (cuts.cutAux.at(pieceIdx - 1) + cuts.cutAux.at(pieceIdx)) / 2;
  const double probeX = bisector.PointX(probeAlong);
  const double probeY = bisector.PointY(probeAlong);
  const double probeDist = SquaredDistance(probeX, probeY, sites.X(i), sites.Y(i));
  for (int q = 1; q <= sites.siteCount; ++q) {
    if (q == i || q == k) continue;
    if (SquaredDistance(probeX, probeY, sites.X(q), sites.Y(q)) < probeDist) return false;
  }
  return true;
}

}  // namespace

std::optional<Edge> FindEdgePiece(const SiteTable& sites, int i, int k, const PairBisector& bisector, CutList& cuts) {
  // Sorting on the position along the bisector, x and y travel along.
  hSort(cuts.cutCount, std::span<double>(cuts.cutAux), std::span<double>(cuts.cutX), std::span<double>(cuts.cutY));
  const int cutCount = cuts.cutCount;
  for (int pieceIdx = 1; pieceIdx <= cutCount - 1; ++pieceIdx) {
    if (!PieceQualifies(sites, i, k, bisector, cuts, pieceIdx)) continue;
    int nextIdx = pieceIdx + 1;
    while (nextIdx < cutCount && PieceQualifies(sites, i, k, bisector, cuts, nextIdx)) ++nextIdx;
    return Edge{cuts.cutX.at(pieceIdx - 1), cuts.cutY.at(pieceIdx - 1), cuts.cutX.at(nextIdx - 1),
                cuts.cutY.at(nextIdx - 1)};
  }
  return std::nullopt;
}

}  // namespace pelmic
