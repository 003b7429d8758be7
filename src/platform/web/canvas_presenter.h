// SPDX-License-Identifier: MIT
// canvas_presenter.h - copies what changed on the raster canvas to the page's
// canvas, a band of rows at a time, so that no single turn of the browser
// holds its main thread for long (a cleared 4K canvas is 8 million pixels).
//
//   CanvasPresenter presenter(browser::PutPixels);
//   presenter.PresentSome(canvas);  // in every frame: at most one band
//   presenter.PresentAll(canvas);   // everything, now
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

  // Takes what changed on `canvas` since the last look and copies the top
  // band of everything still to be copied.
  void PresentSome(RasterCanvas& canvas);
  // Copies everything still to be copied.
  void PresentAll(RasterCanvas& canvas);
  bool Pending() const { return !pending_.Empty(); }

 private:
  void CopyBand(const RasterCanvas& canvas);

  PixelSink sink_;
  int bandPixels_;
  DirtyRect pending_;
  std::vector<std::uint32_t> rgba_;
};

}  // namespace pelmic::web
