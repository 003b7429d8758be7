// SPDX-License-Identifier: MIT
// linux_bench - what the saver window costs the diagram cycle.
//
//   pelmic_linux_bench turns [turns]     idle turns of the saver's loop in the
//                                      pause: time per turn, and the pause
//                                      (1,276,600 yields) in seconds
//   pelmic_linux_bench cycle [cycles]    set-up and per-site loop of 49-site
//                                      cycles: turns presenting, turns
//                                      without presenting, no turns
//
// Needs a display; the window covers display 0 at its desktop size, so start
// Xvfb at the size to measure (tools/bench/linux_bench.sh does). Where
// WAYLAND_DISPLAY is set, it measures the saver's Wayland window instead.
#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cmath>
#include <string>
#include <vector>

#include "cycle/diagram_cycle.h"
#include "cycle/random_source.h"
#include "platform/linux/linux_platform.h"
#include "shell/present_rule.h"

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

// What a turn of the saver's loop does besides resuming the cycle.
enum class Turn { PumpAndPresent, PumpOnly, Nothing };

// The saver's loop, with the quit flag left out: resumes the cycle up to its
// first pause yield, or `pauseTurns` further turns into the pause. Returns
// the number of yields.
long RunTurns(pelmic::shell::SaverWindow& window, pelmic::Steps& cycle, Turn turn, long pauseTurns = 0) {
  IgnoredInput input;
  pelmic::shell::PresentRule rule;
  long yields = 0;
  for (bool more = cycle.Resume(); more; more = cycle.Resume()) {
    if (cycle.Mark() > pauseTurns) return yields;
    ++yields;
    if (turn != Turn::Nothing) window.PumpEvents(input);
    if (turn == Turn::PumpAndPresent) rule.AfterEvents(window);
  }
  return yields;
}

pelmic::Steps CycleOn(pelmic::shell::SaverWindow& window, pelmic::RandomSource& random) {
  pelmic::RasterCanvas& canvas = window.Surface();
  return pelmic::DiagramCycles(canvas, random, pelmic::ScreenSize::OfPixels(canvas.Width(), canvas.Height()));
}

int BenchTurns(pelmic::shell::SaverWindow& window, long turns) {
  pelmic::RandomSource random(1);
  pelmic::Steps cycle = CycleOn(window, random);
  RunTurns(window, cycle, Turn::PumpAndPresent, 1000);  // the picture, and the first events settled
  const Clock::time_point start = Clock::now();
  const long done = RunTurns(window, cycle, Turn::PumpAndPresent, 1000 + turns);
  const double perTurn = SecondsSince(start) / static_cast<double>(done);
  std::printf("idle turn: %.3f us per turn (%ld turns)\n", perTurn * 1e6, done);
  std::printf("pause of %d yields: %.2f s\n", pelmic::kPauseRounds, perTurn * pelmic::kPauseRounds);
  return 0;
}

// One cycle from its set-up to its last label; the same seed for each mode,
// so all draw the same diagrams.
double TimeCycle(pelmic::shell::SaverWindow& window, Turn turn, std::uint32_t seed, int& sites, long& yields) {
  pelmic::RandomSource random;
  random.Randomize(seed);
  window.Surface().Cls();
  window.Present(window.Surface().TakeDirtyRect());
  pelmic::Steps cycle = CycleOn(window, random);
  const Clock::time_point start = Clock::now();
  yields = RunTurns(window, cycle, turn);
  const double seconds = SecondsSince(start);
  // n sites yield n(n - 1) times: 1 + 4 n(n - 1) is (2n - 1) squared.
  sites = static_cast<int>((1 + std::lround(std::sqrt(1.0 + 4.0 * static_cast<double>(yields)))) / 2);
  return seconds;
}

// The per-site loop is quadratic in the site count; the 49-site cycles are
// the slowest, so the benchmark measures those (found by seed).
int BenchCycle(pelmic::shell::SaverWindow& window, int cycles) {
  const pelmic::RasterCanvas& canvas = window.Surface();
  std::printf("screen %dx%d px, %d cycles of 49 sites: yields; ms with turns presenting,\n"
              "turns without presenting, no turns at all\n",
              canvas.Width(), canvas.Height(), cycles);
  double total[3] = {0, 0, 0};
  int measured = 0;
  for (std::uint32_t seed = 1; measured < cycles && seed < 100000; ++seed) {
    int sites = 0;
    long yields = 0;
    const double bare = TimeCycle(window, Turn::Nothing, seed, sites, yields);
    if (sites != 49) continue;
    const double pumped = TimeCycle(window, Turn::PumpOnly, seed, sites, yields);
    const double presented = TimeCycle(window, Turn::PumpAndPresent, seed, sites, yields);
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
  const std::string what = argc > 1 ? argv[1] : "turns";
  try {
    pelmic::linux_desktop::LinuxPlatform platform;  // starts video the way the program does
    platform.SetScreenSaverActive(true);
    const std::unique_ptr<pelmic::shell::SaverWindow> window = platform.CreateSaverWindow();
    window->Show();
    if (what == "turns") return BenchTurns(*window, argc > 2 ? std::atol(argv[2]) : 2000000);
    if (what == "cycle") return BenchCycle(*window, argc > 2 ? std::atoi(argv[2]) : 20);
    std::fprintf(stderr, "usage: pelmic_linux_bench turns [turns] | cycle [cycles]\n");
    return 2;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "pelmic_linux_bench: %s\n", error.what());
    return 1;
  }
}
