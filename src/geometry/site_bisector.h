// SPDX-License-Identifier: MIT
// site_bisector.h - the perpendicular bisector of two sites as a side test.
#pragma once

#include <cmath>

#include "geometry/numeric.h"

namespace pelmic {


// The bisector of sites a and b through their midpoint, with n pointing from
// a towards b, so that SideOf(p) = n . (p - mid) is positive exactly where p
// is nearer to b than to a. Its rounding error scales with |n|, so two sites
// a hair apart are still told apart where distances alone could not. For
// sites a few double steps apart n is scaled up by a power of two, so that
// its products do not underflow to 0; callers use only n's direction, the
// sign of SideOf and its ratio to other products with n, which the scaling
// leaves as they are.
struct SiteBisector {
  double nx = 0, ny = 0, midX = 0, midY = 0;

  SiteBisector(double ax, double ay, double bx, double by)
      : nx(bx - ax), ny(by - ay), midX((ax + bx) / 2), midY((ay + by) / 2) {
    if (AreTiny(nx, ny)) [[unlikely]] ScaleToUnit(nx, ny);
  }

  double SideOf(double x, double y) const { return nx * (x - midX) + ny * (y - midY); }
};

}  // namespace pelmic
