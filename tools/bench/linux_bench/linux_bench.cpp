// SPDX-License-Identifier: MIT
// linux_bench - what the SDL saver window costs the diagram cycle.
//
//   pelmic_linux_bench doevents [calls]   idle DoEvents: time per call, and the
//                                       pause (1,276,600 yields) in seconds
//   pelmic_linux_bench cycle [cycles]     set-up and per-site loop of 49-site
//                                       cycles: DoEvents presenting, DoEvents
//                                       without presenting, no DoEvents
//
// Needs a display; the window covers display 0 at its desktop size, so start
// Xvfb at the size to measure (tools/bench/linux_bench.sh does). Where
// WAYLAND_DISPLAY is set, it measures the saver's Wayland window instead.
#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "cycle/cycle_state.h"
#include "cycle/diagram_cycle.h"
#include "cycle/random_source.h"
#include "platform/linux/linux_platform.h"
#include "platform/linux/x11/x11_saver_window.h"
#include "platform/linux/wayland/wayland_saver_window.h"
#include "shell/saver_session.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Input that never asks to stop: the benchmark measures, nobody watches.
class IgnoredInput final : public pelmic::shell::SaverInput {
 public:
  void Form_KeyDown() override {}
  void Form_Click() override {}
  void Form_MouseMove(float, float) override {}
  void CloseRequested() override {}
};

// Either front end's saver window, and its switch for presenting.
struct BenchWindow {
  pelmic::shell::SaverWindow& window;
  std::function<void(bool)> setPresenting;
};

// Runs the window's DoEvents for every yield of the cycle (or skips it, to
// measure the cycle alone) and stops the cycle once its picture is complete.
class OneCycleHost final : public pelmic::Host, public pelmic::CycleObserver {
 public:
  OneCycleHost(pelmic::shell::SaverWindow& window, bool pump) : window_(window), pump_(pump) {}
  void DoEvents() override {
    ++yields_;
    if (pump_) window_.DoEvents(input_);
  }
  std::int16_t QuitFlag() const override { return drawn_ ? pelmic::kQuitRequested : pelmic::kKeepRunning; }
  void OnCycleDrawn(const pelmic::CycleState& state) override {
    drawn_ = true;
    sites_ = state.tables.sites.siteCount;
  }
  long Yields() const { return yields_; }
  int Sites() const { return sites_; }

 private:
  pelmic::shell::SaverWindow& window_;
  bool pump_;
  IgnoredInput input_;
  bool drawn_ = false;
  long yields_ = 0;
  int sites_ = 0;
};

int BenchDoEvents(pelmic::shell::SaverWindow& window, long calls) {
  IgnoredInput input;
  window.Refresh();
  for (int i = 0; i < 1000; ++i) window.DoEvents(input);  // settle the first events
  const Clock::time_point start = Clock::now();
  for (long i = 0; i < calls; ++i) window.DoEvents(input);
  const double perCall = SecondsSince(start) / static_cast<double>(calls);
  std::printf("idle DoEvents: %.3f us per call (%ld calls)\n", perCall * 1e6, calls);
  std::printf("pause of %d yields: %.2f s\n", pelmic::kPauseRounds, perCall * pelmic::kPauseRounds);
  return 0;
}

// One cycle from its set-up to its last label; the same seed for both modes,
// so both draw the same diagrams.
enum class Yield { PumpAndPresent, PumpOnly, Nothing };

double TimeCycle(const BenchWindow& bench, Yield mode, std::uint32_t seed, int& sites, long& yields) {
  pelmic::shell::SaverWindow& window = bench.window;
  pelmic::RandomSource random;
  random.Randomize(seed);
  OneCycleHost host(window, mode != Yield::Nothing);
  bench.setPresenting(mode == Yield::PumpAndPresent);
  window.Surface().Cls();
  window.Refresh();
  const pelmic::ScreenSize screen = pelmic::shell::MeasureScreen(window.Surface());
  const Clock::time_point start = Clock::now();
  pelmic::RunDiagramCycles(window.Surface(), host, random, screen, &host);
  const double seconds = SecondsSince(start);
  sites = host.Sites();
  yields = host.Yields();
  return seconds;
}

// The per-site loop is quadratic in the site count; the 49-site cycles are
// the slowest, so the benchmark measures those (found by seed).
int BenchCycle(const BenchWindow& window, int cycles) {
  const pelmic::Canvas& canvas = window.window.Surface();
  std::printf("screen %.0fx%.0f px, %d cycles of 49 sites: yields; ms with DoEvents presenting,\n"
              "DoEvents without presenting, no DoEvents at all\n",
              static_cast<double>(canvas.ScreenWidthTwips()) / 15, static_cast<double>(canvas.ScreenHeightTwips()) / 15,
              cycles);
  double total[3] = {0, 0, 0};
  int measured = 0;
  for (std::uint32_t seed = 1; measured < cycles && seed < 100000; ++seed) {
    int sites = 0;
    long yields = 0;
    const double bare = TimeCycle(window, Yield::Nothing, seed, sites, yields);
    if (sites != 49) continue;
    const double pumped = TimeCycle(window, Yield::PumpOnly, seed, sites, yields);
    const double presented = TimeCycle(window, Yield::PumpAndPresent, seed, sites, yields);
    total[0] += presented;
    total[1] += pumped;
    total[2] += bare;
    ++measured;
    std::printf("  seed %5u: %5ld yields  %8.2f ms  %8.2f ms  %8.2f ms\n", seed, yields, presented * 1e3,
                pumped * 1e3, bare * 1e3);
  }
  if (measured == 0) return 1;
  std::printf("mean: %.2f ms presenting, %.2f ms pumping only, %.2f ms bare\n", total[0] / measured * 1e3,
              total[1] / measured * 1e3, total[2] / measured * 1e3);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string what = argc > 1 ? argv[1] : "doevents";
  try {
    pelmic::linux_desktop::LinuxPlatform platform;  // starts video the way the program does
    platform.SetScreenSaverActive(true);
    const std::unique_ptr<pelmic::shell::SaverWindow> window = platform.CreateSaverWindow();
    window->Show();
    BenchWindow bench{*window, nullptr};
    if (auto* sdl = dynamic_cast<pelmic::linux_desktop::X11SaverWindow*>(window.get())) {
      bench.setPresenting = [sdl](bool on) { sdl->SetPresenting(on); };
    } else {
      auto* wayland = dynamic_cast<pelmic::linux_desktop::WaylandSaverWindow*>(window.get());
      bench.setPresenting = [wayland](bool on) { wayland->SetPresenting(on); };
    }
    if (what == "doevents") return BenchDoEvents(*window, argc > 2 ? std::atol(argv[2]) : 2000000);
    if (what == "cycle") return BenchCycle(bench, argc > 2 ? std::atoi(argv[2]) : 20);
    std::fprintf(stderr, "usage: pelmic_linux_bench doevents [calls] | cycle [cycles]\n");
    return 2;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "pelmic_linux_bench: %s\n", error.what());
    return 1;
  }
}
