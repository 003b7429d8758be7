// SPDX-License-Identifier: MIT
#include "area/site_cell.h"

#include "area/cell_finish.h"
#include "geometry/pair_work.h"
#include "geometry/screen_corners.h"

namespace pelmic {

bool BuildSiteCell(DiagramTables& tables, int i, ScreenSize screen, const SiteCellHooks& hooks) {
  tables.cells.ResetCell(SlotOf(i));
  const int siteCount = tables.sites.siteCount;
  for (int k = 1; k <= siteCount; ++k) {
    if (k == i) continue;
    if (hooks.beforePair && !hooks.beforePair()) return false;
    const std::optional<Edge> edge = DoPairWork(tables, i, k, screen);
    if (edge && hooks.onEdge) hooks.onEdge(i, k, *edge);
  }
  FinishCell(tables, i, screen);
  return true;
}

void BuildAllCells(DiagramTables& tables, ScreenSize screen,
                   const std::function<void(int i, int k, const Edge& edge)>& onEdge) {
  tables.corners = FindCornerSites(tables.sites, screen);
  const SiteCellHooks hooks{{}, onEdge};
  for (int i = 1; i <= tables.sites.siteCount; ++i) BuildSiteCell(tables, i, screen, hooks);
}

}  // namespace pelmic
