// SPDX-License-Identifier: MIT
// A whole 49-site cycle as the saver runs it, drawing into the raster canvas
// at 1920x1080, without the pause; and the longest stretch between two yields.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>

#include "cycle/diagram_cycle.h"
#include "canvas/raster_canvas.h"

namespace pelmic {
namespace {

// Always 49 sites: the sixth draw of the set-up decides the count.
class FortyNineSites final : public RandomSource {
 public:
  using RandomSource::RandomSource;
  float Rnd() override {
    const float r = RandomSource::Rnd();
    return ++draws_ == 6 ? 1.0f - 1.0f / 16777216.0f : r;
  }

 private:
  int draws_ = 0;
};

// Resumes the cycle up to its first pause yield, timing the gaps between yields.
double LongestBetweenYieldsUs(Steps& cycle) {
  using Clock = std::chrono::steady_clock;
  double longest = 0;
  cycle.Resume();  // the set-up
  for (Clock::time_point last = Clock::now(); cycle.Resume() && cycle.Mark() != 1;) {
    const Clock::time_point now = Clock::now();
    longest = std::max(longest, std::chrono::duration<double, std::micro>(now - last).count());
    last = now;
  }
  return longest;
}

void BM_FullCycleWithDrawing(benchmark::State& state) {
  RasterCanvas canvas(1920, 1080);
  double longest = 0;
  std::uint64_t seed = 0;
  for (auto _ : state) {
    FortyNineSites random(++seed);
    canvas.Cls();
    Steps cycle = DiagramCycles(canvas, random, ScreenSize::OfPixels(1920, 1080));
    longest = std::max(longest, LongestBetweenYieldsUs(cycle));
  }
  state.counters["longest_between_yields_us"] = longest;
}
BENCHMARK(BM_FullCycleWithDrawing)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pelmic
