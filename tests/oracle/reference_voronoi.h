// SPDX-License-Identifier: MIT
// reference_voronoi.h - exact clipped Voronoi cell areas from Boost.Polygon,
// an implementation that shares nothing with ours.
//
// Boost.Polygon takes 32-bit integer coordinates, so the sites are scaled by
// ReferenceScale(screen); test sites are multiples of 1/kSiteGrid pixel so
// that the scaling is exact, or are rounded onto the reference grid first.
// Mirroring every site across the four screen borders makes the cells of the
// given sites exactly their cells clipped to the screen. Coincident sites
// are merged: the first of them in Boost's order gets the cell. For sites no
// grid holds, HalfPlaneCells clips the screen in exact rational arithmetic.
#pragma once

#include <boost/multiprecision/gmp.hpp>
#include <string>
#include <vector>

#include "geometry/diagram_tables.h"
#include "geometry/screen.h"

namespace pelmic::testing {

inline constexpr double kSiteGrid = 1024.0;

struct ReferencePoint {
  double x, y;
};

// The largest power of two (at most 2^18) by which three screen widths or
// heights, the extent of the mirrored sites, still fit in 31 bits.
double ReferenceScale(ScreenSize screen);

// The point of the reference grid nearest to p.
ReferencePoint OnReferenceGrid(ReferencePoint p, ScreenSize screen);

// The clipped cell of each site as a counter-clockwise polygon (pixels).
std::vector<std::vector<ReferencePoint>> ReferenceCells(const std::vector<ReferencePoint>& sites, ScreenSize screen);

// The part of a convex polygon inside the screen.
std::vector<ReferencePoint> ClipToScreen(std::vector<ReferencePoint> polygon, ScreenSize screen);

double PolygonArea(const std::vector<ReferencePoint>& polygon);

// A cell whose side v, from polygon[v] to the next vertex, lies on the
// bisector with site sideSite[v] (0-based), or on the screen's border (-1);
// area is the exact area of the exact polygon, before it was rounded.
struct TaggedCell {
  std::vector<ReferencePoint> polygon;
  std::vector<int> sideSite;
  boost::multiprecision::mpq_rational area;
};

// The clipped cell of each site as the screen cut down by every other site's
// half-plane, in exact rational arithmetic, rounded to doubles at the end. It
// holds what Boost's integer grid cannot: sites a double step apart next to
// coordinate 0, and detail finer than the grid on the largest screens. Slow;
// for a few sites. Sites must be distinct. The rationals are GMP's: sites
// near 1e-300 make numerators of thousands of bits, whose greatest common
// divisors GMP finds over ten times faster than cpp_rational, which matters
// for a million cluster files.
std::vector<TaggedCell> HalfPlaneCells(const std::vector<ReferencePoint>& sites, ScreenSize screen);

// An end of a drawn edge of the cell of site i (1-based).
struct DrawnEnd {
  int i;
  double x, y;
};

// The first reported vertex or drawn edge end of `tables` farther than 1e-6
// px from every vertex of its exact cell, or vertex of an exact cell that
// far from every reported one, described; "" when there is none.
std::string PointFault(const DiagramTables& tables, const std::vector<DrawnEnd>& ends,
                       const std::vector<TaggedCell>& exact);

}  // namespace pelmic::testing
