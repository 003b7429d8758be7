// SPDX-License-Identifier: MIT
#include "geometry/numeric.h"

#include <gtest/gtest.h>

#include <array>
#include <stdexcept>

namespace pelmic {
namespace {

TEST(NumericDistance, IsEuclideanAndSymmetric) {
  EXPECT_EQ(Distance(0, 0, 3, 4), 5.0);
  EXPECT_EQ(Distance(3, 4, 0, 0), 5.0);
  EXPECT_DOUBLE_EQ(Distance(100, 100, 300, 200), 223.60679774997897);
}

// Next to 0, points can be a few double steps apart; their squares underflow.
TEST(NumericDistance, HoldsPointsAFewDoubleStepsApart) {
  struct Case {
    double dx, dy, distance;
  };
  for (const Case& c : {Case{1e-300, 0, 1e-300}, Case{0, 1e-170, 1e-170}, Case{3e-300, 4e-300, 5e-300},
                        Case{-3e-160, 4e-160, 5e-160}, Case{5e-324, 0, 5e-324}, Case{0, -1e-320, 1e-320}}) {
    EXPECT_DOUBLE_EQ(Distance(0, 0, c.dx, c.dy), c.distance) << c.dx << ", " << c.dy;
    EXPECT_DOUBLE_EQ(Distance(c.dx, c.dy, 0, 0), c.distance) << c.dx << ", " << c.dy;
  }
}

TEST(NumericArcSin, MatchesTheArcSineInsideAndIsFiniteAtTheEnds) {
  EXPECT_EQ(ArcSin(0), 0.0);
  EXPECT_DOUBLE_EQ(ArcSin(0.5), 0.5235987755982989);
  EXPECT_DOUBLE_EQ(ArcSin(-0.5), -0.5235987755982989);
  EXPECT_DOUBLE_EQ(ArcSin(0.9), 1.1197695149986342);
  EXPECT_EQ(ArcSin(1), kHalfPi);
  EXPECT_EQ(ArcSin(-1), -kHalfPi);
  // Rounding in a caller can overshoot 1 by an ulp; that is still straight up or down.
  EXPECT_EQ(ArcSin(1.0000000000000002), kHalfPi);
  EXPECT_EQ(ArcSin(-1.0000000000000002), -kHalfPi);
}

TEST(NumericConstants, KeepTheProgramsOwnDigits) {
  EXPECT_EQ(kHalfPi, 1.570796326794895);
  EXPECT_EQ(kThreeHalfPi, 4.712388980384685);
}

// Sorts keys with letter companions (as numbers) and returns the companions.
template <std::size_t N>
std::array<double, N> SortCompanions(std::array<double, N>& keys, std::array<double, N> companions) {
  std::array<double, N> third = companions;
  hSort(static_cast<std::int16_t>(N), keys, companions, third);
  EXPECT_EQ(companions, third) << "the second and third arrays must move together";
  return companions;
}

constexpr double a = 'a', b = 'b', c = 'c', d = 'd';

TEST(NumericHSort, SortsAscendingCarryingCompanions) {
  std::array<double, 2> keys{5, 3};
  EXPECT_EQ(SortCompanions(keys, {a, b}), (std::array<double, 2>{b, a}));
  EXPECT_EQ(keys, (std::array<double, 2>{3, 5}));

  std::array<double, 7> many{9, -1, 4, 4, 0, 12, 3};
  SortCompanions(many, {1, 2, 3, 4, 5, 6, 7});
  EXPECT_EQ(many, (std::array<double, 7>{-1, 0, 3, 4, 4, 9, 12}));
}

TEST(NumericHSort, FollowsItsTieRules) {
  // The extraction phase takes the right child on equal keys too.
  std::array<double, 4> keys{1, 2, 2, 2};
  EXPECT_EQ(SortCompanions(keys, {a, b, c, d}), (std::array<double, 4>{a, d, c, b}));
  std::array<double, 3> equal{1, 1, 1};
  EXPECT_EQ(SortCompanions(equal, {a, b, c}), (std::array<double, 3>{b, c, a}));
}

TEST(NumericHSort, TouchesOnlyTheFirstNNElements) {
  std::array<double, 4> keys{3, 1, 2, 0};
  std::array<double, 4> s2{a, b, c, d}, s3{a, b, c, d};
  hSort(0, keys, s2, s3);
  hSort(1, keys, s2, s3);
  EXPECT_EQ(keys, (std::array<double, 4>{3, 1, 2, 0}));
  hSort(3, keys, s2, s3);
  EXPECT_EQ(keys, (std::array<double, 4>{1, 2, 3, 0}));
  EXPECT_EQ(s2, (std::array<double, 4>{b, c, a, d}));
}

TEST(NumericHSort, RefusesACountBeyondTheArrays) {
  std::array<double, 2> keys{2, 1}, s2{}, s3{};
  EXPECT_THROW(hSort(3, keys, s2, s3), std::out_of_range);
  EXPECT_THROW(hSort(-1, keys, s2, s3), std::out_of_range);
}

}  // namespace
}  // namespace pelmic
