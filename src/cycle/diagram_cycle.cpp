// SPDX-License-Identifier: MIT
#include "cycle/diagram_cycle.h"

#include "area/area_label.h"
#include "cycle/cycle_setup.h"
#include "cycle/cycle_state.h"
#include "cycle/site_cells.h"

namespace pelmic {
namespace {

// Each edge drawn and each label printed as soon as it is found.
class CellDrawing final : public CellSink {
 public:
  CellDrawing(Canvas& canvas, const DiagramTables& tables, CycleObserver* observer)
      : canvas_(canvas), tables_(tables), observer_(observer) {}

  void EdgeFound(int i, int k, const Edge& edge) override {
    canvas_.Line(static_cast<float>(edge.x1), static_cast<float>(edge.y1), static_cast<float>(edge.x2),
                 static_cast<float>(edge.y2));
    if (observer_) observer_->OnEdgeDrawn(i, k, edge);
  }

  // The area label, written at the site.
  void CellFinished(int i) override {
    canvas_.PSet(static_cast<float>(tables_.sites.X(i)), static_cast<float>(tables_.sites.Y(i)));
    canvas_.Print({PrintItem::Int32(AreaLabelValue(tables_.cellArea.at(SlotOf(i))), true)});
  }

 private:
  Canvas& canvas_;
  const DiagramTables& tables_;
  CycleObserver* observer_;
};

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

Steps DiagramCycles(Canvas& canvas, RandomSource& random, ScreenSize screen, CycleObserver* observer) {
  CycleState& state = ProgramCycleState();
  state.screen = screen;
  CellDrawing drawing(canvas, state.tables, observer);
  for (;;) {
    RunCycleSetup(canvas, random, state);
    for (Steps cells = SiteCells(state.tables, screen, drawing); cells.Resume();) co_yield 0;
    if (observer) observer->OnCycleDrawn(state);
    for (std::int32_t pauseRound = 1; pauseRound <= kPauseRounds; ++pauseRound) co_yield pauseRound;
    canvas.Cls();
  }
}

}  // namespace pelmic
