// SPDX-License-Identifier: MIT
// canvas_presenter.h - copies what changed on the raster canvas to the page's
// canvas, a band of rows at a time, so that no single turn of the browser
// holds its main thread for long (a cleared 4K canvas is 8 million pixels).
//
//   CanvasPresenter presenter(browser::PutPixels);
//   presenter.Present(canvas, canvas.TakeDirtyRect());  // the top band; the rest counts as changed again
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "canvas/raster_canvas.h"

namespace pelmic::web {

class CanvasPresenter {
 public:
  // Receives rows of RGBA bytes, alpha 255, for the rectangle at (left, top).
  using PixelSink = std::function<void(const std::uint8_t* rgba, int left, int top, int width, int height)>;

  // About 4 ms of converting and copying on an ordinary machine.
  static constexpr int kBandPixels = 1 << 20;

  explicit CanvasPresenter(PixelSink sink, int bandPixels = kBandPixels);

  // Copies the top band of `area` (taken from the canvas's changes) and marks
  // the rest changed on `canvas` again, so that the next present goes on with
  // it, joined with whatever is drawn meanwhile.
  void Present(RasterCanvas& canvas, const DirtyRect& area);

 private:
  PixelSink sink_;
  int bandPixels_;
  std::vector<std::uint32_t> rgba_;
};

}  // namespace pelmic::web
