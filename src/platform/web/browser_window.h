// SPDX-License-Identifier: MIT
// browser_window.h - the saver window on a web page: the raster canvas, shown
// in the page's canvas element.
//
// Its events are the input the page queued since the last turn; its frame
// signal is the browser's animation frame, and a present copies one band of
// what changed (canvas_presenter.h), leaving the rest for the next frame, so
// that no turn holds the page's main thread for long.
#pragma once

#include "canvas/raster_canvas.h"
#include "platform/web/canvas_presenter.h"
#include "shell/platform.h"

namespace pelmic::web {

class BrowserWindow final : public shell::SaverWindow {
 public:
  // Gives the page's canvas a black backing store of width x height device pixels.
  BrowserWindow(int width, int height);

  void Show() override {}
  // Leaves full screen, if the page is there.
  void Hide() override;
  RasterCanvas& Surface() override { return canvas_; }
  void PumpEvents(shell::SaverInput& input) override;
  void Present(const DirtyRect& area) override { presenter_.Present(canvas_, area); }
  bool HasFrameSignal() const override { return true; }
  // True once per animation frame.
  bool FrameReady() override;

 private:
  RasterCanvas canvas_;
  CanvasPresenter presenter_;
};

}  // namespace pelmic::web
