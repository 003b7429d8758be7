// SPDX-License-Identifier: MIT
// area_label.h - the whole number printed at a site.
#pragma once

#include <cstdint>

namespace pelmic {

// The area rounded to the nearest whole number, an exact half to the even
// neighbour (250.5 -> 250, 251.5 -> 252). Throws std::overflow_error beyond
// the 32-bit range, which no screen reaches.
std::int32_t AreaLabelValue(double cellArea);

}  // namespace pelmic
