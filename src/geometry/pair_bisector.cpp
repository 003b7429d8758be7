// SPDX-License-Identifier: MIT
#include "geometry/pair_bisector.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "geometry/exact_sign.h"
#include "geometry/numeric.h"
#include "geometry/site_bisector.h"

namespace pelmic {
namespace {

using Kind = LinePlace::Kind;

double Clamp(double v, double lo, double hi) { return std::min(std::max(v, lo), hi); }

// A drawn point, and whether a border (or both, at a corner) sets its x or y.
struct DrawnAt {
  double x, y;
  bool onBorderX = false, onBorderY = false;
};

// The bisector of two sites as a line through their midpoint.
bool MakeBisector(const SiteBisector& bisector, RoundedLine& line) {
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
  const double t0 = (0.0 - mid) / dir;
  const double t1 = (limit - mid) / dir;
  lo = std::max(lo, std::min(t0, t1));
  hi = std::min(hi, std::max(t0, t1));
}

// The rounded line of sites i and k, clipped to the screen; false where the
// sites coincide.
bool MakeLine(double ix, double iy, double kx, double ky, ScreenSize screen, RoundedLine& line) {
  if (!MakeBisector(SiteBisector(ix, iy, kx, ky), line)) return false;
  double lo = -std::numeric_limits<double>::infinity(), hi = std::numeric_limits<double>::infinity();
  ClipAxis(line.midX, line.dirX, screen.widthPx, lo, hi);
  ClipAxis(line.midY, line.dirY, screen.heightPx, lo, hi);
  line.startAlong = lo;
  line.endAlong = hi;
  return true;
}

void PutOnBorder(const LinePlace& border, DrawnAt& p) {
  if (border.kind == Kind::kBorderX) p.x = border.a, p.onBorderX = true;
  if (border.kind == Kind::kBorderY) p.y = border.a, p.onBorderY = true;
}

// The point at `along`, with the coordinates of the border (or both borders
// of the corner) it lies on set exactly.
DrawnAt BorderPoint(const RoundedLine& line, double along, const LinePlace& border, const LinePlace& corner,
                    ScreenSize screen) {
  DrawnAt p{Clamp(line.PointX(along), 0.0, double{screen.widthPx}),
            Clamp(line.PointY(along), 0.0, double{screen.heightPx})};
  PutOnBorder(border, p);
  PutOnBorder(corner, p);
  return p;
}

// The rounded position where third site (mx, my) crosses the rounded line,
// kept on the segment; the exact decisions have already said that it
// crosses there. On the pair's bisector, m's bisectors with i and with k are
// one line; the one with the nearer of the two places the point more closely.
double CrossingAlong(double ix, double iy, double kx, double ky, double mx, double my, const RoundedLine& line) {
  const bool nearerK = SiteBisector(ix, iy, kx, ky).SideOf(mx, my) > 0;
  const SiteBisector other = nearerK ? SiteBisector(kx, ky, mx, my) : SiteBisector(ix, iy, mx, my);
  const double rate = other.nx * line.dirX + other.ny * line.dirY;
  if (rate == 0) return line.startAlong;
  return Clamp(-other.SideOf(line.midX, line.midY) / rate, line.startAlong, line.endAlong);
}

// The drawn point of a place of the pair (i, k): an end of the clipped line,
// or a crossing.
DrawnAt DrawnPoint(double ix, double iy, double kx, double ky, const RoundedLine& line, const PairBisector& exact,
                   const LinePlace& place, ScreenSize screen) {
  if (place.kind == Kind::kCrossing) {
    const double along = CrossingAlong(ix, iy, kx, ky, place.a, place.b, line);
    return {line.PointX(along), line.PointY(along)};
  }
  const bool atStart = SamePlace(place, exact.start.where);
  return BorderPoint(line, atStart ? line.startAlong : line.endAlong, place,
                     atStart ? exact.startCorner : exact.endCorner, screen);
}

// How far the drawn coordinate `drawn` may lie from the exact point of the
// place at fraction t on one axis, where the exact point is sum / 2 + num /
// den * dir (sum: the sites' coordinates added; dir: the line's direction
// d0 on that axis, turned): worked out on the drawn double itself, as
// (2 drawn - sum) den - 2 num dir over 2 den, so that it holds however the
// double was reached. Infinite where den's sign is not proven.
double AxisError(double drawn, const Bounded& sum, const Bounded& dir, const Fraction<Bounded>& t) {
  const Bounded twiceDen = Twice(t.den);
  const Bounded error = ((Bounded(2 * drawn) - sum) * t.den - Twice(t.num * dir)) / twiceDen;
  return (std::abs(error.v) + error.e) * kInflate;
}

// Of the two borders an end may lie on (kind kNone where the line runs
// parallel to one), the one met last (`later`) or first; both at a corner.
void PickBorder(const PairFrame& frame, const LinePlace& a, const LinePlace& b, bool later, Place& end,
                LinePlace& corner) {
  corner = {};
  if (a.kind == Kind::kNone || b.kind == Kind::kNone) {
    SetPlace(end, frame, b.kind == Kind::kNone ? a : b);
    return;
  }
  SetPlace(end, frame, a);
  Place other;
  SetPlace(other, frame, b);
  const int order = ComparePlaces(frame, end, other);
  if ((order >= 0) != later) end = std::move(other);
  if (order == 0) corner = b;
}

// The borders where the exact bisector enters and leaves the screen.
void PickBorders(PairBisector& line, ScreenSize screen) {
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
           T kdx = T(kx) - T(ix), kdy = T(ky) - T(iy), mdx = T(mx) - T(ix), mdy = T(my) - T(iy);
           ScaleUpTiny(kdx, kdy, mdx, mdy);
           return (kdx * kdx + kdy * kdy) - (mdx * mdx + mdy * mdy);
         }) > 0;
}

}  // namespace

bool BuildPairCuts(const SiteTable& sites, int i, int k, ScreenSize screen, PairBisector& line, CutList& cuts) {
  const double ix = sites.X(i), iy = sites.Y(i), kx = sites.X(k), ky = sites.Y(k);
  if (ix == kx && iy == ky) return false;  // no bisector
  line.frame = PairFrame(ix, iy, kx, ky);
  line.pairDist = Distance(ix, iy, kx, ky);
  line.drawn.reset();
  PickBorders(line, screen);

  cuts.cutCount = 0;
  cuts.Append(line.start);
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
    if (product < 0 || (product == 0 && nearerAlike)) cuts.Append(place);
  }
  cuts.Append(line.end);
  return true;
}

ResolvedPoint ResolvePoint(const SiteTable& sites, int i, int k, const PairBisector& bisector, const Place& place,
                           ScreenSize screen) {
  const double ix = sites.X(i), iy = sites.Y(i), kx = sites.X(k), ky = sites.Y(k);
  if (!bisector.drawn) MakeLine(ix, iy, kx, ky, screen, bisector.drawn.emplace());
  const DrawnAt p = DrawnPoint(ix, iy, kx, ky, *bisector.drawn, bisector, place.where, screen);
  // d0 = (iy - ky, kx - ix), turned as the place's fraction is.
  const bool turned = bisector.frame.turn < 0;
  const Bounded d0x = Bounded(iy) - Bounded(ky), d0y = Bounded(kx) - Bounded(ix);
  const double ex = p.onBorderX ? 0 : AxisError(p.x, Bounded(ix) + Bounded(kx), turned ? -d0x : d0x, place.approx);
  const double ey = p.onBorderY ? 0 : AxisError(p.y, Bounded(iy) + Bounded(ky), turned ? -d0y : d0y, place.approx);
  if (ex <= kPointBound && ey <= kPointBound) [[likely]] {
    ++Decisions().fast;
    return {p.x, p.y, std::max(ex, ey)};
  }
  ++Decisions().exact;
  const PointFraction<Dyadic> exact = PlacePointFraction<Dyadic>(bisector.frame, place.where);
  const double x = RoundedQuotient(exact.x, exact.d), y = RoundedQuotient(exact.y, exact.d);
  // Rounded once: within half a unit in the last place of each.
  return {x, y, 0x1p-52 * std::max(std::abs(x), std::abs(y)) + 0x1p-1074};
}

}  // namespace pelmic
