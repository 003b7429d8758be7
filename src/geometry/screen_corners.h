// SPDX-License-Identifier: MIT
// screen_corners.h - the screen corners belong to the cells of their nearest sites.
#pragma once

#include "geometry/cell_vertex_table.h"
#include "geometry/diagram_tables.h"
#include "geometry/screen.h"

namespace pelmic {

// Starting values of the nearest-site searches: far above any on-screen
// distance, so each search ends with a real site.
inline constexpr double kFirstCornerSearchStart = 999999.9;
inline constexpr double kCornerSearchStart = 99999.9;

// The slot a search that finds no site within its start returns.
inline constexpr std::int32_t kNoSite = 9999;

// The 0-based slot of the site nearest to (cornerX, cornerY); a tie goes to
// the lower slot.
std::int32_t NearestSiteSlot(const SiteTable& sites, double cornerX, double cornerY, double startDist);

// The four nearest-site searches of the cycle's set-up.
CornerSites FindCornerSites(const SiteTable& sites, ScreenSize screen);

// Appends to the cell of site i (1-based) the corners whose nearest site it
// is: top-left, top-right, bottom-left, bottom-right, in that order. No
// duplicate test: a corner that is also an edge end point is harmless to the area.
void AddScreenCorners(const SiteTable& sites, const CornerSites& corners, int i, ScreenSize screen,
                      CellVertexTable& cells);

}  // namespace pelmic
