// SPDX-License-Identifier: MIT
#include "area/area_label.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

namespace pelmic {
namespace {

TEST(AreaLabel, RoundsToNearestWithHalvesToEven) {
  EXPECT_EQ(AreaLabelValue(250.5), 250);
  EXPECT_EQ(AreaLabelValue(251.5), 252);
  EXPECT_EQ(AreaLabelValue(250.49), 250);
  EXPECT_EQ(AreaLabelValue(12.5), 12);
  EXPECT_EQ(AreaLabelValue(13.5), 14);
  EXPECT_EQ(AreaLabelValue(0), 0);
  EXPECT_EQ(AreaLabelValue(2073599.9999), 2073600);
}

TEST(AreaLabel, RefusesValuesBeyondThirtyTwoBits) {
  EXPECT_THROW(AreaLabelValue(3e9), std::overflow_error);
  EXPECT_THROW(AreaLabelValue(std::nan("")), std::overflow_error);
}

}  // namespace
}  // namespace pelmic
