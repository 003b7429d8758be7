// SPDX-License-Identifier: MIT
// site_bisector.h - the perpendicular bisector of two sites as a side test.
#pragma once

#include <cmath>

#include "geometry/bounded.h"
#include "geometry/numeric.h"

namespace pelmic {


// The bisector of sites a and b through their midpoint, with n pointing from
// a towards b, so that SideOf(p) = n . (p - mid) is positive exactly where p
// is nearer to b than to a. Its rounding error scales with |n|, so two sites
// a hair apart are still told apart where distances alone could not. For
// sites a few double steps apart n is scaled up by a power of two, so that
// its products do not underflow to 0; callers use only n's direction, the
// sign of SideOf and its ratio to other products with n, which the scaling
// leaves as they are. In doubles, or Bounded: the same doubles with a bound
// on their distance from the exact values.
template <class T>
struct BasicSiteBisector {
  T nx{}, ny{}, midX{}, midY{};

  BasicSiteBisector() = default;
  BasicSiteBisector(double ax, double ay, double bx, double by)
      : nx(T(bx) - T(ax)), ny(T(by) - T(ay)), midX(Half(T(ax) + T(bx))), midY(Half(T(ay) + T(by))) {
    if (AreTiny(ValueOf(nx), ValueOf(ny))) [[unlikely]] ScaleToUnit(nx, ny);
  }

  T SideOf(const T& x, const T& y) const { return nx * (x - midX) + ny * (y - midY); }
};

using SiteBisector = BasicSiteBisector<double>;

}  // namespace pelmic
