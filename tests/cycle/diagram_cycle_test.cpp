// SPDX-License-Identifier: MIT
#include "cycle/diagram_cycle.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "canvas/raster_canvas.h"
#include "cycle/cycle_state.h"
#include "cycle/recording_canvas.h"

namespace pelmic {
namespace {

// Notes what the cycle reports; the picture counts as drawn at its first pause yield.
class CountingObserver final : public CycleObserver {
 public:
  void OnEdgeDrawn(int, int, const Edge&) override { ++edges; }
  void OnCycleDrawn(const CycleState& state) override {
    siteCounts.push_back(state.tables.sites.siteCount);
    lastDrawn = state;
  }

  int edges = 0;
  std::vector<long> siteCounts;
  CycleState lastDrawn;
};

constexpr ScreenSize kScreen{1024, 768};

// The plain loop of a test: resumes the cycle `yields` times, or, given
// `afterDrawn`, until that many yields past the first picture's last label.
struct CycleRun {
  testing::RecordingCanvas canvas;
  CountingObserver observer;
  long yields = 0;
  long yieldsWhenDrawn = -1;

  void Run(std::uint64_t seed, long maxYields, long afterDrawn = -1) {
    RandomSource random(seed);
    Steps cycle = DiagramCycles(canvas, random, kScreen, &observer);
    while (yields < maxYields && cycle.Resume()) {
      ++yields;
      if (yieldsWhenDrawn < 0 && cycle.Mark() == 1) yieldsWhenDrawn = yields - 1;
      if (afterDrawn >= 0 && yieldsWhenDrawn >= 0 && yields == yieldsWhenDrawn + afterDrawn) return;
    }
  }
};

long PairYields(long n) { return n * (n - 1); }
constexpr long kNoLimit = std::numeric_limits<long>::max();

TEST(DiagramCycle, YieldsOncePerOrderedPairThenThroughoutThePause) {
  for (std::uint64_t seed : {1u, 2u, 3u}) {
    CycleRun run;
    run.Run(seed, kNoLimit, kPauseRounds + 1);  // up to the next cycle's first pair
    ASSERT_EQ(run.observer.siteCounts.size(), 1u);
    const long n = run.observer.siteCounts[0];
    EXPECT_EQ(run.yieldsWhenDrawn, PairYields(n)) << seed;
    EXPECT_EQ(run.yields, PairYields(n) + kPauseRounds + 1) << seed;
    EXPECT_EQ(run.canvas.clears, 1) << "the window is cleared once, after the pause";
    EXPECT_GT(run.canvas.circles.size(), static_cast<std::size_t>(n)) << "the next cycle's set-up ran";
    EXPECT_EQ(run.canvas.points.size(), static_cast<std::size_t>(n)) << "one label point per site";
    EXPECT_GE(run.observer.edges, static_cast<int>(2 * (n - 1))) << "every cell has edges";
  }
}

TEST(DiagramCycle, TheFirstResumeRunsTheSetUpAndNoPair) {
  CycleRun run;
  run.Run(4, 1);
  EXPECT_EQ(run.observer.edges, 0);
  EXPECT_GE(run.canvas.circles.size(), 4u);
  EXPECT_EQ(run.canvas.clears, 0);
}

TEST(DiagramCycle, StoppedInThePauseItLeavesTheWindowUncleared) {
  for (long after : {1L, 1000L, static_cast<long>(kPauseRounds)}) {
    CycleRun run;
    run.Run(6, kNoLimit, after);
    const long n = run.observer.siteCounts.at(0);
    EXPECT_EQ(run.yields, PairYields(n) + after);
    EXPECT_EQ(run.canvas.clears, 0) << "the exit path clears; the cycle does not";
  }
}

TEST(DiagramCycle, StoppedInTheMiddleOfASiteItLeavesItUnfinished) {
  CycleRun run;
  run.Run(8, 5);
  EXPECT_TRUE(run.canvas.points.empty()) << "no label: the first site needs at least 3 pairs, and more sites follow";
}

// A daemon's preview pane can be any size from 1x1 up. Whole cycles on the
// real canvas at sizes far below the scale bar's 380 px: nothing may fail,
// and every cell's area stays a finite part of the screen.
TEST(DiagramCycle, TinyScreensDrawEveryCell) {
  for (const auto& [width, height] : {std::pair{1, 1}, {2, 2}, {3, 1}, {1, 40}, {200, 150}, {379, 12}}) {
    for (std::uint64_t seed = 1; seed <= 12; ++seed) {
      RasterCanvas canvas(width, height);
      CountingObserver observer;
      RandomSource random(seed);
      Steps cycle = DiagramCycles(canvas, random, ScreenSize::OfPixels(width, height), &observer);
      while (cycle.Resume() && cycle.Mark() != 1) {
      }
      ASSERT_EQ(observer.siteCounts.size(), 1u) << width << "x" << height << " seed " << seed;
      const DiagramTables& tables = observer.lastDrawn.tables;
      for (int i = 0; i < tables.sites.siteCount; ++i) {
        const double area = tables.cellArea[i];
        EXPECT_TRUE(std::isfinite(area) && area >= 0 && area <= width * height * (1 + 1e-6))
            << width << "x" << height << " seed " << seed << " site " << i + 1 << ": " << area;
      }
    }
  }
}

}  // namespace
}  // namespace pelmic
