// SPDX-License-Identifier: MIT
// A whole 49-site cycle as the saver runs it, drawing into the raster canvas
// at 1920x1080, without the pause; and the longest stretch between two yields.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>

#include "cycle/cycle_state.h"
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

// Stops at the first pause yield and times the gaps between yields.
class TimingHost final : public Host, public CycleObserver {
 public:
  using Clock = std::chrono::steady_clock;
  void DoEvents() override {
    const auto now = Clock::now();
    if (started_) longest = std::max(longest, std::chrono::duration<double, std::micro>(now - last_).count());
    last_ = now;
    started_ = true;
  }
  std::int16_t QuitFlag() const override { return drawn_ ? kQuitRequested : kKeepRunning; }
  void OnCycleDrawn(const CycleState&) override { drawn_ = true; }
  double longest = 0;

 private:
  Clock::time_point last_;
  bool started_ = false;
  bool drawn_ = false;
};

void BM_FullCycleWithDrawing(benchmark::State& state) {
  RasterCanvas canvas(1920, 1080);
  double longest = 0;
  std::uint64_t seed = 0;
  for (auto _ : state) {
    FortyNineSites random(++seed);
    TimingHost host;
    canvas.Cls();
    RunDiagramCycles(canvas, host, random, {1920, 1080}, &host);
    longest = std::max(longest, host.longest);
  }
  state.counters["longest_between_yields_us"] = longest;
}
BENCHMARK(BM_FullCycleWithDrawing)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pelmic
