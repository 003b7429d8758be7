// SPDX-License-Identifier: MIT
// cell_finish.h - what happens to a cell once all its partners are done.
#pragma once

#include "geometry/diagram_tables.h"
#include "geometry/screen.h"

namespace pelmic {

// Adds the screen corners of the cell of site i (1-based), puts its vertices
// in angular order and stores its area in cellArea.
void FinishCell(DiagramTables& tables, int i, ScreenSize screen);

}  // namespace pelmic
