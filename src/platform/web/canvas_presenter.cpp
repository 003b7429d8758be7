// SPDX-License-Identifier: MIT
#include "platform/web/canvas_presenter.h"

#include <algorithm>
#include <bit>
#include <utility>

#include "canvas/raster_target.h"

namespace pelmic::web {

namespace {

static_assert(std::endian::native == std::endian::little, "RGBA bytes are written as little-endian words");

// 0x00RRGGBB to the bytes R, G, B, 255.
constexpr std::uint32_t RgbaWord(std::uint32_t pixel) {
  return 0xFF000000u | ((pixel >> 16) & 0xFFu) | (pixel & 0xFF00u) | ((pixel & 0xFFu) << 16);
}

}  // namespace

CanvasPresenter::CanvasPresenter(PixelSink sink, int bandPixels)
    : sink_(std::move(sink)), bandPixels_(std::max(bandPixels, 1)) {}

void CanvasPresenter::PresentSome(RasterCanvas& canvas) {
  pending_ = UnionOf(pending_, canvas.TakeDirtyRect());
  if (Pending()) CopyBand(canvas);
}

void CanvasPresenter::PresentAll(RasterCanvas& canvas) {
  pending_ = UnionOf(pending_, canvas.TakeDirtyRect());
  while (Pending()) CopyBand(canvas);
}

void CanvasPresenter::CopyBand(const RasterCanvas& canvas) {
  const int width = pending_.right - pending_.left;
  const int rows = std::clamp(bandPixels_ / width, 1, pending_.bottom - pending_.top);
  rgba_.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(rows));
  std::uint32_t* to = rgba_.data();
  for (int y = pending_.top; y < pending_.top + rows; ++y) {
    const std::uint32_t* from = canvas.Pixels() + static_cast<std::ptrdiff_t>(y) * canvas.Width() + pending_.left;
    to = std::transform(from, from + width, to, RgbaWord);
  }
  sink_(reinterpret_cast<const std::uint8_t*>(rgba_.data()), pending_.left, pending_.top, width, rows);
  pending_.top += rows;
}

}  // namespace pelmic::web
