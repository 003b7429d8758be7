// SPDX-License-Identifier: MIT
// page_run.h - the picture on the page itself, outside full screen.
//
// The cycle runs at the size the page asks for, as the saver runs at the
// screen's, until the page wants another picture (a resize, full screen) or,
// given a count of cycles, until that many pictures are finished: then it
// stops in the pause after the last one, as pelmic-render does, and the
// picture stays. Input on the page does not end it; only the saver ends on
// input.
//
// Its turns are the saver's (the page's input, a present by the one rule, the
// cycle resumed up to its next yield), so that the pause lasts as many turns
// of the browser as the saver's. A count of cycles asks only for the last
// picture: there the yields pass as the renderer lets them pass, a slice of
// them a turn (shell/turn_slice.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "cycle/diagram_cycle.h"
#include "cycle/random_source.h"
#include "cycle/steps.h"
#include "platform/web/browser_window.h"
#include "platform/web/page_options.h"
#include "platform/web/web_platform.h"
#include "shell/platform.h"
#include "shell/present_rule.h"

namespace pelmic::web {

class PageRun final : public shell::SaverInput, public CycleObserver {
 public:
  // Starts the picture in a page window of width x height device pixels
  // (unless the options give a size), up to the cycle's first yield.
  PageRun(const PageOptions& options, int width, int height)
      : PageRun(options, options.size.value_or(PictureSize{width, height}), options.seed.value_or(ClockSeed())) {}
  PageRun(const PageRun&) = delete;
  PageRun& operator=(const PageRun&) = delete;

  // One turn; false once the run is over: the page asked for another, or the
  // last of the asked-for pictures is on the page, its title saying "done".
  bool Turn();

  // SaverInput: only the page's own request to close means anything.
  void Form_KeyDown() override {}
  void Form_Click() override {}
  void Form_MouseMove(float, float) override {}
  void CloseRequested() override { closeRequested_ = true; }

  // CycleObserver
  void OnCycleDrawn(const CycleState&) override { ++cyclesDrawn_; }

 private:
  PageRun(const PageOptions& options, PictureSize size, std::uint64_t seed);
  bool Finished() const { return cycles_ && cyclesDrawn_ >= *cycles_; }

  std::optional<int> cycles_;
  std::string title_;
  BrowserWindow window_;
  RandomSource random_;
  shell::PresentRule presentRule_;
  int cyclesDrawn_ = 0;
  bool closeRequested_ = false;
  Steps cycle_;  // last: it draws on the window's canvas and reports here
};

}  // namespace pelmic::web
