// SPDX-License-Identifier: MIT
// page_run.h - the picture on the page itself, outside full screen.
//
// The cycle runs at the size the page asks for, as the saver runs at the
// screen's, until the page wants another picture (a resize, full screen) or,
// given a count of cycles, until that many pictures are finished: then it
// stops in the pause after the last one, as pelmic-render does, and the
// picture stays. Input on the page does not end it; only the saver ends on
// input.
#pragma once

#include <cstdint>
#include <optional>

#include "cycle/diagram_cycle.h"
#include "cycle/host.h"
#include "shell/platform.h"

namespace pelmic::web {

class PageRun final : public Host, public shell::SaverInput, public CycleObserver {
 public:
  PageRun(shell::SaverWindow& window, std::optional<int> cycles) : window_(window), cycles_(cycles) {}

  // Host
  void DoEvents() override { window_.DoEvents(*this); }
  std::int16_t QuitFlag() const override { return closeRequested_ || Finished() ? kQuitRequested : kKeepRunning; }

  // SaverInput
  void Form_KeyDown() override {}
  void Form_Click() override {}
  void Form_MouseMove(float, float) override {}
  void CloseRequested() override { closeRequested_ = true; }

  // CycleObserver
  void OnCycleDrawn(const CycleState&) override { ++cyclesDrawn_; }

  // True once the last of the asked-for pictures is drawn.
  bool Finished() const { return cycles_ && cyclesDrawn_ >= *cycles_; }

 private:
  shell::SaverWindow& window_;
  std::optional<int> cycles_;
  int cyclesDrawn_ = 0;
  bool closeRequested_ = false;
};

}  // namespace pelmic::web
