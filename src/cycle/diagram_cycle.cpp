// SPDX-License-Identifier: MIT
#include "cycle/diagram_cycle.h"

#include "area/area_label.h"
#include "area/site_cell.h"
#include "cycle/cycle_setup.h"
#include "cycle/cycle_state.h"

namespace pelmic {
namespace {

bool YieldAndPoll(Host& host) {
  host.DoEvents();
  return host.QuitFlag() == kQuitRequested;
}

void DrawAreaLabel(Canvas& canvas, const SiteTable& sites, int i, double cellArea) {
  canvas.PSet(static_cast<float>(sites.X(i)), static_cast<float>(sites.Y(i)));
  canvas.Print({PrintItem::Int32(AreaLabelValue(cellArea), true)});
}

// The cell of site i, each pair after a yield, each edge drawn as soon as it
// is found. Returns false when the quit flag was seen.
bool BuildAndDrawCell(Canvas& canvas, Host& host, CycleState& state, int i, CycleObserver* observer) {
  const SiteCellHooks hooks{
      [&host] { return !YieldAndPoll(host); },
      [&canvas, observer](int site, int k, const Edge& edge) {
        canvas.Line(static_cast<float>(edge.x1), static_cast<float>(edge.y1), static_cast<float>(edge.x2),
                    static_cast<float>(edge.y2));
        if (observer) observer->OnEdgeDrawn(site, k, edge);
      }};
  if (!BuildSiteCell(state.tables, i, state.screen, hooks)) return false;
  DrawAreaLabel(canvas, state.tables.sites, i, state.tables.cellArea.at(SlotOf(i)));
  return true;
}

// One whole cycle up to the clear. Returns false when the quit flag was seen.
bool RunOneCycle(Canvas& canvas, Host& host, RandomSource& random, CycleState& state, CycleObserver* observer) {
  RunCycleSetup(canvas, random, state);
  const int siteCount = state.tables.sites.siteCount;
  for (int i = 1; i <= siteCount; ++i) {
    if (!BuildAndDrawCell(canvas, host, state, i, observer)) return false;
  }
  if (observer) observer->OnCycleDrawn(state);
  for (std::int32_t pauseRound = 1; pauseRound <= kPauseRounds; ++pauseRound) {
    if (YieldAndPoll(host)) return false;
  }
  return true;
}

// The tables are allocated once and reused by every cycle, like the saver's
// fixed-size tables. Of their 1.2 MB of slots a cycle writes a few hundred KB,
// so they live in static storage, constant-initialised: a page becomes
// resident only when a cycle first writes to it, where the constructor of a
// heap copy would write all of them. Runs therefore take turns: one at a time
// per process, as the saver has.
CycleState& ProgramCycleState() {
  static constinit CycleState state;
  return state;
}

}  // namespace

void RunDiagramCycles(Canvas& canvas, Host& host, RandomSource& random, ScreenSize screen, CycleObserver* observer) {
  CycleState& state = ProgramCycleState();
  state.screen = screen;
  while (RunOneCycle(canvas, host, random, state, observer)) {
    canvas.Cls();
  }
}

}  // namespace pelmic
