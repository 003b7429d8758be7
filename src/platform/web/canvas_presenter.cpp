// SPDX-License-Identifier: MIT
#include "platform/web/canvas_presenter.h"

#include <algorithm>
#include <bit>
#include <utility>

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

void CanvasPresenter::Present(RasterCanvas& canvas, const DirtyRect& area) {
  if (area.Empty()) return;
  const int width = area.right - area.left;
  const int rows = std::clamp(bandPixels_ / width, 1, area.bottom - area.top);
  rgba_.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(rows));
  std::uint32_t* to = rgba_.data();
  for (int y = area.top; y < area.top + rows; ++y) {
    const std::uint32_t* from = canvas.Pixels() + static_cast<std::ptrdiff_t>(y) * canvas.Width() + area.left;
    to = std::transform(from, from + width, to, RgbaWord);
  }
  sink_(reinterpret_cast<const std::uint8_t*>(rgba_.data()), area.left, area.top, width, rows);
  if (area.top + rows < area.bottom) canvas.MarkChanged({area.left, area.top + rows, area.right, area.bottom});
}

}  // namespace pelmic::web
