// SPDX-License-Identifier: MIT
#include "geometry/pair_bisector.h"

#include <algorithm>
#include <limits>

#include "geometry/exact_sign.h"
#include "geometry/numeric.h"
#include "geometry/site_bisector.h"

namespace pelmic {
namespace {

using Kind = LinePlace::Kind;

struct Point {
  double x, y;
};

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

// Of the two borders an end may lie on (kind kNone where the line runs
// parallel to one), the one met last (`later`) or first; both at a corner.
void PickBorder(const PairFrame& frame, const LinePlace& a, const LinePlace& b, bool later, Place& end,
                LinePlace& corner) {
  corner = {};
  if (b.kind == Kind::kNone) {
    end = MakePlace(frame, a);
    return;
  }
  if (a.kind == Kind::kNone) {
    end = MakePlace(frame, b);
    return;
  }
  const Place pa = MakePlace(frame, a), pb = MakePlace(frame, b);
  const int order = ComparePlaces(frame, pa, pb);
  end = (order >= 0) == later ? pa : pb;
  if (order == 0) corner = b;
}

// The borders where the exact bisector enters and leaves the screen, and the
// rounded positions of those points along the rounded line.
void ClipToScreen(PairBisector& line, ScreenSize screen) {
  double lo = -std::numeric_limits<double>::infinity();
  double hi = std::numeric_limits<double>::infinity();
  ClipAxis(line.midX, line.dirX, screen.widthPx, lo, hi);
  ClipAxis(line.midY, line.dirY, screen.heightPx, lo, hi);
  line.startAlong = lo;
  line.endAlong = hi;
  const PairFrame& f = line.frame;
  const double w = screen.widthPx, h = screen.heightPx;
  // Along the line x grows, and y grows where turn * (kx - ix) > 0.
  LinePlace lowX, highX, lowY, highY;
  if (f.iy != f.ky) lowX = {Kind::kBorderX, 0, 0}, highX = {Kind::kBorderX, w, 0};
  if (f.ix != f.kx) {
    const bool down = (f.kx > f.ix) == (f.turn > 0);
    lowY = {Kind::kBorderY, down ? 0 : h, 0};
    highY = {Kind::kBorderY, down ? h : 0, 0};
  }
  PickBorder(f, lowX, lowY, true, line.start, line.startCorner);
  PickBorder(f, highX, highY, false, line.end, line.endCorner);
}

void PutOnBorder(const LinePlace& border, Point& p) {
  if (border.kind == Kind::kBorderX) p.x = border.a;
  if (border.kind == Kind::kBorderY) p.y = border.a;
}

// The point at `along`, with the coordinates of the border (or both borders
// of the corner) it lies on set exactly.
Point BorderPoint(const PairBisector& line, double along, const Place& border, const LinePlace& corner,
                  ScreenSize screen) {
  Point p{std::clamp(line.PointX(along), 0.0, double{screen.widthPx}),
          std::clamp(line.PointY(along), 0.0, screen.heightPx)};
  PutOnBorder(border.where, p);
  PutOnBorder(corner, p);
  return p;
}

int SignOfDifference(double a, double b) { return (a > b) - (a < b); }

bool SameQuadrant(const SiteTable& sites, int i, int k, int m) {
  const double ix = sites.X(i), iy = sites.Y(i);
  return SignOfDifference(sites.X(m), ix) * SignOfDifference(sites.X(k), ix) > 0 &&
         SignOfDifference(sites.Y(m), iy) * SignOfDifference(sites.Y(k), iy) > 0;
}

// Whether k is strictly farther from i than m is.
bool PartnerFarther(const SiteTable& sites, int i, int k, int m) {
  const double ix = sites.X(i), iy = sites.Y(i), kx = sites.X(k), ky = sites.Y(k), mx = sites.X(m), my = sites.Y(m);
  return SignOf([&](auto zero) {
           using T = decltype(zero);
           const T kdx = T(kx) - T(ix), kdy = T(ky) - T(iy), mdx = T(mx) - T(ix), mdy = T(my) - T(iy);
           return (kdx * kdx + kdy * kdy) - (mdx * mdx + mdy * mdy);
         }) > 0;
}

// The rounded position where `other` crosses the rounded line, kept on the
// segment; the exact decisions have already said that it crosses there.
double CrossingAlong(const SiteBisector& other, const PairBisector& line) {
  const double rate = other.nx * line.dirX + other.ny * line.dirY;
  if (rate == 0) return line.startAlong;
  return std::clamp(-other.SideOf(line.midX, line.midY) / rate, line.startAlong, line.endAlong);
}

void AppendCrossing(const SiteBisector& other, const PairBisector& line, const Place& place, CutList& cuts) {
  const double along = CrossingAlong(other, line);
  cuts.Append(along, line.PointX(along), line.PointY(along), place);
}

}  // namespace

bool BuildPairCuts(const SiteTable& sites, int i, int k, ScreenSize screen, PairBisector& line, CutList& cuts) {
  const double ix = sites.X(i), iy = sites.Y(i), kx = sites.X(k), ky = sites.Y(k);
  const SiteBisector pair(ix, iy, kx, ky);
  if (!MakeBisector(pair, line)) return false;
  line.frame = PairFrame(ix, iy, kx, ky);
  line.pairDist = Distance(ix, iy, kx, ky);
  ClipToScreen(line, screen);
  const Point start = BorderPoint(line, line.startAlong, line.start, line.startCorner, screen);
  const Point end = BorderPoint(line, line.endAlong, line.end, line.endCorner, screen);

  cuts.cutCount = 0;
  cuts.Append(line.startAlong, start.x, start.y, line.start);
  for (int m = 1; m <= sites.siteCount; ++m) {
    if (m == i || m == k) continue;
    const double mx = sites.X(m), my = sites.Y(m);
    cuts.takesPart.at(SlotOf(m)) = false;
    const bool copiesI = mx == ix && my == iy;
    if (copiesI || (mx == kx && my == ky)) {
      // Of sites at one point the first owns the cell: an earlier copy leaves
      // i or k without one, and a later copy is no third site.
      if (m < (copiesI ? i : k)) return false;
      continue;
    }
    Place& place = cuts.thirdPlace.at(SlotOf(m));
    SetCrossing(place, line.frame, mx, my);
    cuts.takesPart.at(SlotOf(m)) = true;
    const int product = ThirdSiteSide(line.frame, place, line.start) * ThirdSiteSide(line.frame, place, line.end);
    const bool nearerAlike = product >= 0 && SameQuadrant(sites, i, k, m) && PartnerFarther(sites, i, k, m);
    // A nearer site in k's quadrant whose bisector misses the segment shuts the
    // whole segment out of i's cell.
    if (nearerAlike && product > 0) return false;
    if (product < 0 || (product == 0 && nearerAlike)) {
      // On the pair's bisector, m's bisectors with i and with k are one line;
      // the one with the nearer of the two places the point more closely.
      const SiteBisector other = pair.SideOf(mx, my) > 0 ? SiteBisector(kx, ky, mx, my) : SiteBisector(ix, iy, mx, my);
      AppendCrossing(other, line, place, cuts);
    }
  }
  cuts.Append(line.endAlong, end.x, end.y, line.end);
  return true;
}

}  // namespace pelmic
