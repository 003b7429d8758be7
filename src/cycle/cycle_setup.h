// SPDX-License-Identifier: MIT
// cycle_setup.h - the start of every cycle: pen colour, scale bar and sites.
// (The sites nearest to the screen corners are found as the cells begin:
// site_cells.h.)
#pragma once

#include "cycle/canvas.h"
#include "cycle/cycle_state.h"
#include "cycle/random_source.h"

namespace pelmic {

// Draws the set-up on `canvas` for the screen state.screen and fills state's
// colour, scale bar and sites. Draws Rnd exactly six times before the first site and twice
// per site, so a seed always gives the same diagram.
void RunCycleSetup(Canvas& canvas, RandomSource& random, CycleState& state);

}  // namespace pelmic
