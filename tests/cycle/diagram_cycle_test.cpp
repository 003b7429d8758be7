// SPDX-License-Identifier: MIT
#include "cycle/diagram_cycle.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "canvas/raster_canvas.h"
#include "cycle/cycle_state.h"
#include "cycle/recording_canvas.h"

namespace pelmic {
namespace {

// Counts yields; raises the quit flag once `quitAt` yields have happened.
// When a cycle is drawn it may move the quit point relative to that moment.
class CountingHost final : public Host, public CycleObserver {
 public:
  void DoEvents() override { ++yields; }
  std::int16_t QuitFlag() const override { return yields >= quitAt ? kQuitRequested : kKeepRunning; }
  void OnEdgeDrawn(int, int, const Edge&) override { ++edges; }
  void OnCycleDrawn(const CycleState& state) override {
    yieldsWhenDrawn.push_back(yields);
    siteCounts.push_back(state.tables.sites.siteCount);
    lastDrawn = state;
    if (quitAfterDrawn >= 0) quitAt = yields + quitAfterDrawn;
  }

  long yields = 0;
  long long quitAt = 1LL << 40;  // long is 32 bits on Windows
  long quitAfterDrawn = -1;
  int edges = 0;
  std::vector<long> yieldsWhenDrawn;
  std::vector<long> siteCounts;
  CycleState lastDrawn;
};

constexpr ScreenSize kScreen{1024, 768};

struct CycleRun {
  testing::RecordingCanvas canvas{1024, 768};
  CountingHost host;

  void Run(std::uint64_t seed) {
    RandomSource random(seed);
    RunDiagramCycles(canvas, host, random, kScreen, &host);
  }
};

long PairYields(long n) { return n * (n - 1); }

TEST(DiagramCycle, YieldsOncePerOrderedPairThenThroughoutThePause) {
  for (std::uint64_t seed : {1u, 2u, 3u}) {
    CycleRun run;
    run.host.quitAfterDrawn = kPauseRounds + 1;  // seen at the next cycle's first pair
    run.Run(seed);
    ASSERT_EQ(run.host.siteCounts.size(), 1u);
    const long n = run.host.siteCounts[0];
    EXPECT_EQ(run.host.yieldsWhenDrawn[0], PairYields(n)) << seed;
    EXPECT_EQ(run.host.yields, PairYields(n) + kPauseRounds + 1) << seed;
    EXPECT_EQ(run.canvas.clears, 1) << "the window is cleared once, after the pause";
    EXPECT_GT(run.canvas.circles.size(), static_cast<std::size_t>(n)) << "the next cycle's set-up ran";
    EXPECT_EQ(run.canvas.points.size(), static_cast<std::size_t>(n)) << "one label point per site";
    EXPECT_GE(run.host.edges, static_cast<int>(2 * (n - 1))) << "every cell has edges";
  }
}

TEST(DiagramCycle, AQuitDuringTheSetUpIsSeenAtTheFirstPairsPoll) {
  CycleRun run;
  run.host.quitAt = 0;  // raised before the cycle starts
  run.Run(4);
  EXPECT_EQ(run.host.yields, 1);
  EXPECT_EQ(run.host.edges, 0);
  EXPECT_GE(run.canvas.circles.size(), 4u);
  EXPECT_EQ(run.canvas.clears, 0);
}

TEST(DiagramCycle, AQuitInThePauseLeavesWithoutClearing) {
  for (long after : {1L, 1000L, static_cast<long>(kPauseRounds)}) {
    CycleRun run;
    run.host.quitAfterDrawn = after;
    run.Run(6);
    const long n = run.host.siteCounts.at(0);
    EXPECT_EQ(run.host.yields, PairYields(n) + after);
    EXPECT_EQ(run.canvas.clears, 0) << "the exit path clears; the cycle does not";
  }
}

TEST(DiagramCycle, AQuitInTheMiddleOfASiteLeavesItUnfinished) {
  CycleRun run;
  run.host.quitAt = 5;
  run.Run(8);
  EXPECT_EQ(run.host.yields, 5);
  EXPECT_TRUE(run.canvas.points.empty()) << "no label: the first site needs at least 3 pairs, and more sites follow";
}

// A daemon's preview pane can be any size from 1x1 up. Whole cycles on the
// real canvas at sizes far below the scale bar's 380 px: nothing may fail,
// and every cell's area stays a finite part of the screen.
TEST(DiagramCycle, TinyScreensDrawEveryCell) {
  for (const auto& [width, height] : {std::pair{1, 1}, {2, 2}, {3, 1}, {1, 40}, {200, 150}, {379, 12}}) {
    for (std::uint64_t seed = 1; seed <= 12; ++seed) {
      RasterCanvas canvas(width, height);
      CountingHost host;
      host.quitAfterDrawn = 0;
      RandomSource random(seed);
      RunDiagramCycles(canvas, host, random, {static_cast<float>(width), static_cast<double>(height)}, &host);
      ASSERT_EQ(host.siteCounts.size(), 1u) << width << "x" << height << " seed " << seed;
      const DiagramTables& tables = host.lastDrawn.tables;
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
