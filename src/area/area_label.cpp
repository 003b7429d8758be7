// SPDX-License-Identifier: MIT
#include "area/area_label.h"

#include <cmath>
#include <stdexcept>

namespace pelmic {

std::int32_t AreaLabelValue(double cellArea) {
  // nearbyint rounds half to even under the default rounding mode, which
  // nothing in this program changes.
  const double rounded = std::nearbyint(cellArea);
  if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) throw std::overflow_error("area label out of range");
  return static_cast<std::int32_t>(rounded);
}

}  // namespace pelmic
