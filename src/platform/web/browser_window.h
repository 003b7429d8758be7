// SPDX-License-Identifier: MIT
// browser_window.h - the saver window on a web page: the raster canvas, shown
// in the page's canvas element, whose DoEvents gives the browser its turns.
//
// Every yield of the cycle is one real turn of the browser's event loop
// (Pacing::EveryYield): input runs, the page paints, and the pause lasts as
// long as 1,276,600 such turns. The reproducible mode, which only has to show
// its last picture, may let yields pass as the renderer's do: then a turn is
// taken once the cycle has run for a slice of time (Pacing::Sliced), so that
// the main thread still never stays busy for long.
#pragma once

#include <chrono>
#include <cstdint>

#include "canvas/raster_canvas.h"
#include "platform/web/canvas_presenter.h"
#include "shell/platform.h"

namespace pelmic::web {

enum class Pacing { EveryYield, Sliced };

class BrowserWindow final : public shell::SaverWindow {
 public:
  // Gives the page's canvas a black backing store of width x height device pixels.
  BrowserWindow(int width, int height, Pacing pacing);

  void Show() override {}
  // Leaves full screen, if the page is there.
  void Hide() override;
  void Refresh() override { presenter_.PresentAll(canvas_); }
  Canvas& Surface() override { return canvas_; }
  // One turn of the browser (if due), the queued input into `input`, and, once
  // per animation frame, a band of what changed.
  void DoEvents(shell::SaverInput& input) override;

  // Copies all that is left to copy, a band per turn, so that the page shows
  // the whole picture when this returns.
  void FinishPresenting();

 private:
  bool TurnDue();

  RasterCanvas canvas_;
  CanvasPresenter presenter_;
  Pacing pacing_;
  int yieldsSinceClockLook_ = 0;
  std::chrono::steady_clock::time_point lastTurn_;
};

}  // namespace pelmic::web
