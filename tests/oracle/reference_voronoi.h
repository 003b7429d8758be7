// reference_voronoi.h - exact clipped Voronoi cell areas from Boost.Polygon,
// an implementation that shares nothing with ours.
//
// Boost.Polygon takes integer coordinates, so the sites are scaled by
// kReferenceScale; test sites are multiples of 1/kSiteGrid pixel so that the
// scaling is exact. Mirroring every site across the four screen borders makes
// the cells of the original sites exactly their cells clipped to the screen.
#pragma once

#include <vector>

#include "geometry/screen.h"

namespace pelmic::testing {

inline constexpr double kSiteGrid = 1024.0;
inline constexpr double kReferenceScale = 262144.0;  // 2^18: 3 screen widths of 2560 px fit in int32

struct ReferencePoint {
  double x, y;
};

// The clipped cell of each site as a counter-clockwise polygon (pixels).
std::vector<std::vector<ReferencePoint>> ReferenceCells(const std::vector<ReferencePoint>& sites, ScreenSize screen);

double PolygonArea(const std::vector<ReferencePoint>& polygon);

}  // namespace pelmic::testing
