// SPDX-License-Identifier: MIT
// diagram_cycle.h - the saver's endless cycle, in steps: set-up, every site's
// cell, the pause, the clear, and again.
//
//   RandomSource random(seed);
//   Steps cycle = DiagramCycles(canvas, random, ScreenSize::OfPixels(1920, 1080));
//   while (cycle.Resume()) {  // up to the next yield; the cycle never ends by itself
//     // one turn of the framework's loop: events, the quit flag, a present
//   }
//
// The cycle yields once before the work of every ordered pair of distinct
// sites and once in every pause round, nowhere else. Whoever resumes it
// polls the quit flag after each yield and, once it is set, resumes it no
// more: nothing of the pair or site at hand is finished, and the window is
// left as it is for the exit path. Each yield's mark is its pause round, 1
// to kPauseRounds, or 0 before a pair; at round 1 the picture is complete.
#pragma once

#include <cstdint>

#include "cycle/canvas.h"
#include "cycle/random_source.h"
#include "cycle/steps.h"
#include "geometry/edge_piece.h"
#include "geometry/screen.h"

namespace pelmic {

struct CycleState;  // cycle_state.h: the cycle's colour, scale bar, sites, cells and areas

// Yield rounds of the pause that holds the finished picture.
inline constexpr std::int32_t kPauseRounds = 1276600;

// Notifications for those who report on the cycle (the headless renderer,
// tests). The saver itself ignores them.
class CycleObserver {
 public:
  virtual ~CycleObserver() = default;
  // An edge of the cell of site i (1-based) shared with site k was drawn.
  virtual void OnEdgeDrawn(int /*i*/, int /*k*/, const Edge& /*edge*/) {}
  // Every cell and label of the cycle is drawn; the pause comes next.
  virtual void OnCycleDrawn(const CycleState& /*state*/) {}
};

// The cycle on `canvas`, whose screen is `screen`. One at a time per
// process: the cycle's tables are the program's (diagram_cycle.cpp says why).
Steps DiagramCycles(Canvas& canvas, RandomSource& random, ScreenSize screen, CycleObserver* observer = nullptr);

}  // namespace pelmic
