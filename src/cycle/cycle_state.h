// SPDX-License-Identifier: MIT
// cycle_state.h - everything one cycle has worked out, for hosts that report on it.
#pragma once

#include "cycle/canvas.h"
#include "geometry/diagram_tables.h"
#include "geometry/screen.h"

namespace pelmic {

struct CycleState {
  ScreenSize screen{};
  ColourValue colour = 0;
  float scaleBarLeft = 0;
  float scaleBarY = 0;
  DiagramTables tables;
};

}  // namespace pelmic
