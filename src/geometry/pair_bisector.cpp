// SPDX-License-Identifier: MIT
#include "geometry/pair_bisector.h"

#include <algorithm>
#include <limits>

#include "geometry/numeric.h"

namespace pelmic {
namespace {

struct Point {
  double x, y;
};

SiteBisector BisectorOf(const SiteTable& sites, int a, int b) {
  return {sites.X(a), sites.Y(a), sites.X(b), sites.Y(b)};
}

double SideOf(const SiteBisector& bisector, Point p) { return bisector.SideOf(p.x, p.y); }

// Where `other` crosses `line`, as a position along it; false when parallel.
bool CrossingAlong(const SiteBisector& other, const PairBisector& line, double& along) {
  const double rate = other.nx * line.dirX + other.ny * line.dirY;
  if (rate == 0) return false;
  along = std::clamp(-other.SideOf(line.midX, line.midY) / rate, line.startAlong, line.endAlong);
  return true;
}

// The bisector of two sites as a line through their midpoint.
bool MakeBisector(const SiteBisector& bisector, PairBisector& line) {
  if (bisector.nx == 0.0 && bisector.ny == 0.0) return false;
  line.midX = bisector.midX;
  line.midY = bisector.midY;
  // Perpendicular to the sites' connecting line, turned towards growing x.
  line.dirX = -bisector.ny;
  line.dirY = bisector.nx;
  if (line.dirX < 0 || (line.dirX == 0 && line.dirY < 0)) {
    line.dirX = -line.dirX;
    line.dirY = -line.dirY;
  }
  return true;
}

// Narrows [lo, hi] to the positions along the line where mid + t * dir stays
// within [0, limit] on one axis.
void ClipAxis(double mid, double dir, double limit, double& lo, double& hi) {
  if (dir == 0) return;  // parallel to this axis's borders; the midpoint is inside
  double t0 = (0 - mid) / dir;
  double t1 = (limit - mid) / dir;
  if (t0 > t1) std::swap(t0, t1);
  lo = std::max(lo, t0);
  hi = std::min(hi, t1);
}

// The point at `along`, pulled exactly onto the screen border it lies on, so
// that border vertices have exact border coordinates.
Point BorderPoint(const PairBisector& line, double along, ScreenSize screen) {
  const double w = screen.widthPx;
  const double h = screen.heightPx;
  Point p{std::clamp(line.PointX(along), 0.0, w), std::clamp(line.PointY(along), 0.0, h)};
  const double tolerance = kBorderSnapFraction * std::max(w, h);
  if (p.x < tolerance) p.x = 0;
  if (p.x > w - tolerance) p.x = w;
  if (p.y < tolerance) p.y = 0;
  if (p.y > h - tolerance) p.y = h;
  return p;
}

double SameCutDistance(ScreenSize screen) {
  return std::min(kSameCutFraction * std::max<double>(screen.widthPx, screen.heightPx), kSameCutLimitPx);
}

void ClipToScreen(PairBisector& line, ScreenSize screen) {
  double lo = -std::numeric_limits<double>::infinity();
  double hi = std::numeric_limits<double>::infinity();
  ClipAxis(line.midX, line.dirX, screen.widthPx, lo, hi);
  ClipAxis(line.midY, line.dirY, screen.heightPx, lo, hi);
  line.startAlong = lo;
  line.endAlong = hi;
  // A pixel is 1 / |dir| along the line.
  line.sameCutAlong = SameCutDistance(screen) / Distance(0, 0, line.dirX, line.dirY);
}

bool SameQuadrant(const SiteTable& sites, int i, int k, int m) {
  const double dxK = sites.X(k) - sites.X(i);
  const double dyK = sites.Y(k) - sites.Y(i);
  return (sites.X(m) - sites.X(i)) * dxK > 0 && (sites.Y(m) - sites.Y(i)) * dyK > 0;
}

void AppendCrossing(const SiteBisector& other, const PairBisector& line, CutList& cuts) {
  double along = 0;
  if (!CrossingAlong(other, line, along)) return;
  cuts.Append(along, line.PointX(along), line.PointY(along));
}

}  // namespace

bool BuildPairCuts(const SiteTable& sites, int i, int k, ScreenSize screen, PairBisector& line, CutList& cuts) {
  const SiteBisector pair = BisectorOf(sites, i, k);
  if (!MakeBisector(pair, line)) return false;
  line.pairDist = Distance(sites.X(i), sites.Y(i), sites.X(k), sites.Y(k));
  ClipToScreen(line, screen);
  const Point start = BorderPoint(line, line.startAlong, screen);
  const Point end = BorderPoint(line, line.endAlong, screen);

  cuts.cutCount = 0;
  cuts.Append(line.startAlong, start.x, start.y);
  const double ix = sites.X(i), iy = sites.Y(i), kx = sites.X(k), ky = sites.Y(k);
  for (int m = 1; m <= sites.siteCount; ++m) {
    if (m == i || m == k) continue;
    const double mx = sites.X(m), my = sites.Y(m);
    SiteBisector& other = cuts.thirdSite.at(m - 1);
    const bool copiesI = mx == ix && my == iy;
    if (copiesI || (mx == kx && my == ky)) {
      // Of sites at one point the first owns the cell: an earlier copy leaves
      // i or k without one, and a later copy is no third site.
      if (m < (copiesI ? i : k)) return false;
      other = {};
      continue;
    }
    // On the pair's bisector, m's bisectors with i and with k tell the same
    // side; the one with the nearer of the two is the one rounding cannot blur.
    other = pair.SideOf(mx, my) > 0 ? SiteBisector(kx, ky, mx, my) : SiteBisector(ix, iy, mx, my);
    const double startSide = SideOf(other, start);
    const double endSide = SideOf(other, end);
    const double product = startSide * endSide;
    const bool nearerAlike = SameQuadrant(sites, i, k, m) &&
                             line.pairDist > Distance(ix, iy, mx, my);
    // A nearer site in k's quadrant whose bisector misses the segment shuts the
    // whole segment out of i's cell.
    if (nearerAlike && product > 0) return false;
    if (product < 0 || (product == 0 && nearerAlike)) AppendCrossing(other, line, cuts);
  }
  cuts.Append(line.endAlong, end.x, end.y);
  return true;
}

}  // namespace pelmic
