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
#include "platform/web/browser.h"
#include "platform/web/browser_window.h"
#include "platform/web/page_options.h"
#include "shell/platform.h"
#include "shell/present_rule.h"
#include "shell/turn_slice.h"

namespace pelmic::web {

class PageRun final : public shell::SaverInput, public CycleObserver {
 public:
  // A black picture of `size` device pixels; the cycle starts in the first
  // turn, not in this one, which has made the canvas (a phone's processor
  // takes tens of milliseconds for the two together).
  PageRun(const PageOptions& options, PictureSize size, std::uint64_t seed)
      : cycles_(options.cycles),
        title_("Pelmic: seed " + std::to_string(seed) + ", " + std::to_string(size.width) + "x" +
               std::to_string(size.height)),
        window_(size.width, size.height),
        random_(seed) {
    if (options.Reproducible()) browser::SetTitle(title_);
    cycle_ = DiagramCycles(window_.Surface(), random_, ScreenSize::OfPixels(size.width, size.height), this);
  }

  // One turn; false once the run is over: the page asked for another, or the
  // last of the asked-for pictures is on the page, its title saying "done".
  bool Turn() {
    window_.PumpEvents(*this);
    if (closeRequested_) return false;
    presentRule_.AfterEvents(window_);
    if (Finished()) {
      if (window_.Surface().HasChanges()) return true;
      browser::SetTitle(title_ + ", done");
      return false;
    }
    if (cycles_) {
      shell::ResumeForASlice(cycle_, [this] { return Finished(); });
    } else {
      cycle_.Resume();
    }
    return true;
  }

  // SaverInput: only the page's own request to close means anything.
  void Form_KeyDown() override {}
  void Form_Click() override {}
  void Form_MouseMove(float, float) override {}
  void CloseRequested() override { closeRequested_ = true; }

  // CycleObserver
  void OnCycleDrawn(const CycleState&) override { ++cyclesDrawn_; }

 private:
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
