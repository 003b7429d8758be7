// SPDX-License-Identifier: MIT
// The geometry of one cycle, without drawing: all cells for 4, 25 and 49
// sites, and the single most expensive pair (the longest the saver can run
// without yielding inside the per-site work).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <random>

#include "cycle/site_cells.h"
#include "geometry/bounded.h"
#include "geometry/pair_work.h"

namespace pelmic {
namespace {

constexpr ScreenSize kScreen{1920, 1080};

std::unique_ptr<DiagramTables> RandomTables(int count, unsigned seed) {
  auto tables = std::make_unique<DiagramTables>();
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> x(0, 1920), y(0, 1080);
  tables->sites.siteCount = static_cast<std::int16_t>(count);
  for (int n = 0; n < count; ++n) {
    tables->sites.siteX.at(n) = x(rng);
    tables->sites.siteY.at(n) = y(rng);
  }
  return tables;
}

void BM_CycleGeometry(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  auto tables = RandomTables(count, 42);
  const DecisionCounts before = decisionCounts;
  for (auto _ : state) {
    BuildAllCells(*tables, kScreen);
    benchmark::DoNotOptimize(tables->cellArea.data());
  }
  // The share of signs that needed exact arithmetic.
  const double fast = double(decisionCounts.fast - before.fast), exact = double(decisionCounts.exact - before.exact);
  state.counters["exact_share"] = exact / (fast + exact);
}
BENCHMARK(BM_CycleGeometry)->Arg(4)->Arg(25)->Arg(49)->Unit(benchmark::kMicrosecond);

// Times every ordered pair of a 49-site cycle and reports the slowest (the
// cycle yields before each pair, so this bounds the time between two yields
// inside the per-site loop). Averaged over several site sets.
void BM_LongestPair(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  double worst = 0;
  unsigned seed = 0;
  for (auto _ : state) {
    auto tables = RandomTables(49, ++seed);
    tables->corners = {};
    for (int i = 1; i <= 49; ++i) {
      tables->cells.ResetCell(SlotOf(i));
      for (int k = 1; k <= 49; ++k) {
        if (k == i) continue;
        const auto start = Clock::now();
        benchmark::DoNotOptimize(DoPairWork(*tables, i, k, kScreen));
        worst = std::max(worst, std::chrono::duration<double, std::micro>(Clock::now() - start).count());
      }
    }
  }
  state.counters["worst_pair_us"] = worst;
}
BENCHMARK(BM_LongestPair)->Iterations(20)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pelmic
