// SPDX-License-Identifier: MIT
#include "geometry/screen_corners.h"

#include "geometry/exact_sign.h"
#include "geometry/numeric.h"

namespace pelmic {
namespace {

// Whether (x, y) is strictly nearer to the corner than (bx, by), exactly.
bool CornerNearer(double cx, double cy, double x, double y, double bx, double by) {
  return SignOf([&](auto zero) {
           using T = decltype(zero);
           const T dx = T(x) - T(cx), dy = T(y) - T(cy), ex = T(bx) - T(cx), ey = T(by) - T(cy);
           return (ex * ex + ey * ey) - (dx * dx + dy * dy);
         }) > 0;
}

}  // namespace

std::int32_t NearestSiteSlot(const SiteTable& sites, double cornerX, double cornerY, double startDist) {
  std::int32_t bestIndex = kNoSite;
  for (int j = 0; j < sites.siteCount; ++j) {
    const double x = sites.siteX.at(j);
    const double y = sites.siteY.at(j);
    // Against the best so far the exact squared distances decide: distances
    // rounded alike cannot part two sites a hair apart, and a corner given
    // to the wrong one of them would lie outside its cell.
    const bool nearer = bestIndex == kNoSite ? Distance(cornerX, cornerY, x, y) < startDist
                                             : CornerNearer(cornerX, cornerY, x, y, sites.siteX.at(bestIndex),
                                                            sites.siteY.at(bestIndex));
    if (nearer) bestIndex = j;
  }
  return bestIndex;
}

CornerSites FindCornerSites(const SiteTable& sites, ScreenSize screen) {
  const double w = screen.widthPx;
  const double h = screen.heightPx;
  return {NearestSiteSlot(sites, 0, 0, kFirstCornerSearchStart), NearestSiteSlot(sites, w, 0, kCornerSearchStart),
          NearestSiteSlot(sites, 0, h, kCornerSearchStart), NearestSiteSlot(sites, w, h, kCornerSearchStart)};
}

void AddScreenCorners(const SiteTable& sites, const CornerSites& corners, int i, ScreenSize screen,
                      CellVertexTable& cells) {
  const int row = SlotOf(i);
  const double w = screen.widthPx;
  const double h = screen.heightPx;
  const double sx = sites.X(i);
  const double sy = sites.Y(i);
  if (corners.cornerSiteTL == row) cells.AddCellVertex(row, 0, 0, sx, sy);
  if (corners.cornerSiteTR == row) cells.AddCellVertex(row, w, 0, sx, sy);
  if (corners.cornerSiteBL == row) cells.AddCellVertex(row, 0, h, sx, sy);
  if (corners.cornerSiteBR == row) cells.AddCellVertex(row, w, h, sx, sy);
}

}  // namespace pelmic
