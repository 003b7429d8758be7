// SPDX-License-Identifier: MIT
#include "canvas/raster_canvas.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <new>
#include <stdexcept>
#include <utility>

#include "canvas/raster_font.h"
#include "canvas/raster_line.h"
#include "canvas/raster_target.h"
#include "canvas/raster_text.h"

namespace pelmic {

namespace {

// Large enough for any screen, small enough that every pixel index fits.
constexpr int kMaxSide = 1 << 15;

// The midpoint circle: calls plot(dx, dy) for every outline offset from the
// centre (some offsets twice, where the octants meet).
template <typename Plot>
void ForEachCircleOffset(int radius, Plot plot) {
  int x = radius, y = 0, error = 1 - radius;
  while (x >= y) {
    for (const auto& [dx, dy] : {std::pair{x, y}, std::pair{y, x}}) {
      plot(dx, dy);
      plot(-dx, dy);
      plot(dx, -dy);
      plot(-dx, -dy);
    }
    ++y;
    if (error < 0) {
      error += 2 * y + 1;
    } else {
      --x;
      error += 2 * (y - x) + 1;
    }
  }
}

}  // namespace

RasterCanvas::RasterCanvas(int widthPx, int heightPx) : width_(widthPx), height_(heightPx) {
  if (widthPx <= 0 || heightPx <= 0 || widthPx > kMaxSide || heightPx > kMaxSide) {
    throw std::invalid_argument("RasterCanvas: unsupported size");
  }
  own_ = AllocateBlack();
  pixels_ = own_.get();
  // Nothing has been shown yet: the first look takes the whole (black) buffer.
  dirty_ = {0, 0, width_, height_};
  font_ = std::make_unique<RasterFont>();
}

RasterCanvas::~RasterCanvas() = default;
RasterCanvas::RasterCanvas(RasterCanvas&&) noexcept = default;
RasterCanvas& RasterCanvas::operator=(RasterCanvas&&) noexcept = default;

std::size_t RasterCanvas::PixelCount() const {
  return static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
}

RasterCanvas::OwnMemory RasterCanvas::AllocateBlack() const {
  // calloc: pages fresh from the system are zero already, so a canvas that
  // moves straight into a screen buffer never touches them.
  OwnMemory memory(static_cast<std::uint32_t*>(std::calloc(PixelCount(), sizeof(std::uint32_t))));
  if (!memory) throw std::bad_alloc();
  return memory;
}

void RasterCanvas::MoveTo(std::uint32_t* memory) {
  if (memory == nullptr ? DrawsIntoOwnMemory() : memory == pixels_) return;
  OwnMemory own = memory == nullptr ? AllocateBlack() : nullptr;
  if (own) memory = own.get();
  std::copy_n(Pixels(), PixelCount(), memory);
  pixels_ = memory;
  own_ = std::move(own);
}

void RasterCanvas::DrawInto(std::uint32_t* memory) {
  assert(memory != nullptr);
  // A clear still owed is owed to the new memory.
  pixels_ = memory;
  own_.reset();
}

const std::uint32_t* RasterCanvas::Pixels() const {
  PayClear();
  return pixels_;
}

std::uint32_t RasterCanvas::PixelAt(int x, int y) const {
  assert(x >= 0 && y >= 0 && x < width_ && y < height_);
  return Pixels()[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)];
}

DirtyRect RasterCanvas::TakeDirtyRect() {
  // Whoever takes the damage shows the pixels next.
  PayClear();
  const DirtyRect taken = dirty_;
  dirty_ = {};
  return taken;
}

void RasterCanvas::PayClear() const {
  if (!clearOwed_) return;
  std::fill_n(pixels_, PixelCount(), 0u);
  clearOwed_ = false;
}

PixelTarget RasterCanvas::Target() {
  PayClear();
  return {pixels_, width_, height_};
}

FontFace& RasterCanvas::CurrentFace() { return font_->Face(fontSizePoints_); }

void RasterCanvas::Touch(const DirtyRect& rect) { dirty_ = UnionOf(dirty_, rect); }

// End points are rounded to the nearest pixel, halves upwards (see
// RoundHalfUpToPixel); both end points are drawn.
void RasterCanvas::Line(float x1, float y1, float x2, float y2) {
  currentX_ = x2;
  currentY_ = y2;
  // Equal points only move the position: that is how callers place text.
  if (x1 == x2 && y1 == y2) return;
  PixelPoint a, b;
  if (!SegmentToPixels(x1, y1, x2, y2, a, b)) return;
  Touch(DrawClippedLine(Target(), a, b, penPixel_));
}

// Drawing a circle moves the current position to its centre, as a line moves it to its end.
void RasterCanvas::Circle(float x, float y, float radius) {
  currentX_ = x;
  currentY_ = y;
  if (!RoundablePoint(x, y) || !(std::fabs(radius) < kPixelCoordinateLimit)) return;
  const std::int64_t cx = RoundHalfUpToPixel(x), cy = RoundHalfUpToPixel(y);
  const int r = static_cast<int>(RoundHalfUpToPixel(std::fabs(radius)));
  // A circle wholly off the buffer costs nothing.
  if (cx + r < 0 || cy + r < 0 || cx - r >= width_ || cy - r >= height_) return;
  const PixelTarget target = Target();
  DirtyRect touched;
  ForEachCircleOffset(r, [&](int dx, int dy) {
    const std::int64_t px = cx + dx, py = cy + dy;
    if (!target.Contains(px, py)) return;
    target.At(px, py) = penPixel_;
    touched = UnionOf(touched, {static_cast<int>(px), static_cast<int>(py), static_cast<int>(px) + 1,
                                static_cast<int>(py) + 1});
  });
  Touch(touched);
}

void RasterCanvas::PSet(float x, float y) {
  currentX_ = x;
  currentY_ = y;
  if (!RoundablePoint(x, y)) return;
  const std::int64_t px = RoundHalfUpToPixel(x), py = RoundHalfUpToPixel(y);
  const PixelTarget target = Target();
  if (!target.Contains(px, py)) return;
  target.At(px, py) = penPixel_;
  Touch({static_cast<int>(px), static_cast<int>(py), static_cast<int>(px) + 1, static_cast<int>(py) + 1});
}

void RasterCanvas::Cls() {
  clearOwed_ = true;
  currentX_ = 0;
  currentY_ = 0;
  dirty_ = {0, 0, width_, height_};
}

void RasterCanvas::SetForeColor(ColourValue colour) {
  foreColor_ = colour;
  penPixel_ = PixelFromColour(colour);
}

void RasterCanvas::SetFontSize(int points) { fontSizePoints_ = std::clamp(points, 1, RasterFont::kMaxPoints); }


void RasterCanvas::DrawText(std::string_view utf8) {
  const TextRun run = DrawTextRun(Target(), CurrentFace(), utf8, currentX_, currentY_, penPixel_);
  currentX_ += run.advancePx;
  Touch(run.touched);
}

void RasterCanvas::EndOfLine() {
  currentX_ = 0;
  currentY_ += CurrentFace().LineHeightPx();
}

}  // namespace pelmic
