// SPDX-License-Identifier: MIT
// cycle_setup.h - the start of every cycle: pen colour, scale bar, sites and
// the sites nearest to the screen corners.
#pragma once

#include "cycle/canvas.h"
#include "cycle/cycle_state.h"
#include "cycle/random_source.h"

namespace pelmic {

// Draws the set-up on `canvas` and fills state's colour, scale bar, sites and
// corner sites. Draws Rnd exactly six times before the first site and twice
// per site, so a seed always gives the same diagram.
void RunCycleSetup(Canvas& canvas, RandomSource& random, CycleState& state);

}  // namespace pelmic
