// SPDX-License-Identifier: MIT
// diagram_cycle.h - the saver's endless cycle: set-up, every site's cell,
// the pause, the clear.
//
//   RandomSource rnd(seed);
//   RunDiagramCycles(canvas, host, rnd, {1920.0f, 1080.0});  // returns once the
//                                                            // host's quit flag is -1
//
// The cycle yields through host.DoEvents() once before every ordered pair of
// distinct sites and once in every pause round, and looks at the quit flag
// right after each yield; nowhere else. When it sees -1 it returns at once,
// leaving the exit path (clear, hide, unload) to the caller.
#pragma once

#include <cstdint>

#include "cycle/canvas.h"
#include "cycle/host.h"
#include "cycle/random_source.h"
#include "geometry/edge_piece.h"
#include "geometry/screen.h"

namespace pelmic {

struct CycleState;  // cycle_state.h: the cycle's colour, scale bar, sites, cells and areas

// Yield rounds of the pause that holds the finished picture.
inline constexpr std::int32_t kPauseRounds = 1276600;

// Notifications for hosts that report on the cycle (the headless renderer,
// tests). The saver itself ignores them.
class CycleObserver {
 public:
  virtual ~CycleObserver() = default;
  // An edge of the cell of site i (1-based) shared with site k was drawn.
  virtual void OnEdgeDrawn(int /*i*/, int /*k*/, const Edge& /*edge*/) {}
  // Every cell and label of the cycle is drawn; the pause comes next.
  virtual void OnCycleDrawn(const CycleState& /*state*/) {}
};

void RunDiagramCycles(Canvas& canvas, Host& host, RandomSource& random, ScreenSize screen,
                      CycleObserver* observer = nullptr);

}  // namespace pelmic
