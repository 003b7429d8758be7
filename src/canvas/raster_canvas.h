// SPDX-License-Identifier: MIT
// raster_canvas.h - the one software canvas every front end shows.
//
// A 32-bit pixel buffer (0x00RRGGBB per pixel, row-major, no padding) with its
// own 1-pixel lines, circle outlines, points and anti-aliased text. Front ends
// copy Pixels() to the screen; TakeDirtyRect() tells them which part changed
// since they last looked, so they upload only that. Where the screen's own
// buffer has the canvas's layout, a front end moves the canvas into it
// (MoveTo, or DrawInto for memory it keeps up to date itself) and the copy
// goes away.
//
// Cls fills the buffer only when the pixels are next drawn on or looked at
// (Pixels, PixelAt, TakeDirtyRect, a move): a clear that nobody will see, the
// last one before the window goes, costs nothing.
//
//   RasterCanvas canvas(1920, 1080);
//   canvas.TakeDirtyRect();                      // {0, 0, 1920, 1080}: never shown yet
//   canvas.SetForeColor(Rgb(200, 230, 240));
//   canvas.Line(0, 0, 99, 0);
//   DirtyRect changed = canvas.TakeDirtyRect();  // {0, 0, 100, 1}
//
// Line end points, points and circle centres are rounded to the nearest
// pixel, halves upwards; text is anti-aliased DejaVu Sans at 96 dpi.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "cycle/canvas.h"

namespace pelmic {

class RasterFont;
class FontFace;
struct PixelTarget;

// Half-open pixel rectangle [left, right) x [top, bottom).
struct DirtyRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool Empty() const { return right <= left || bottom <= top; }
};

class RasterCanvas final : public Canvas {
 public:
  RasterCanvas(int widthPx, int heightPx);
  ~RasterCanvas() override;
  RasterCanvas(RasterCanvas&&) noexcept;
  RasterCanvas& operator=(RasterCanvas&&) noexcept;

  int Width() const { return width_; }
  int Height() const { return height_; }
  const std::uint32_t* Pixels() const;
  // From now on the canvas draws into `memory`: Width() x Height() pixels in
  // its own layout, which the caller keeps until it moves the canvas again or
  // destroys it. The picture so far is copied there. Null moves the picture
  // back into memory of the canvas's own. The memory left is never touched
  // again.
  void MoveTo(std::uint32_t* memory);
  // As MoveTo into `memory`, but copies nothing: the caller has made it hold
  // the picture so far (a second frame buffer it keeps up to date from the
  // damage).
  void DrawInto(std::uint32_t* memory);
  bool DrawsIntoOwnMemory() const { return pixels_ == own_.get(); }
  // 0x00RRGGBB; (x, y) must lie inside the buffer.
  std::uint32_t PixelAt(int x, int y) const;

  // The area changed since the last call (empty if nothing changed); the
  // whole buffer before the first call.
  DirtyRect TakeDirtyRect();
  // Whether TakeDirtyRect would return a non-empty area; takes nothing.
  bool HasChanges() const { return !dirty_.Empty(); }
  // Counts `area` (inside the buffer) as changed, drawn or not: the screen
  // lost it, or has not been shown all of it yet.
  void MarkChanged(const DirtyRect& area) { Touch(area); }

  float CurrentX() const { return currentX_; }
  float CurrentY() const { return currentY_; }

  void Line(float x1, float y1, float x2, float y2) override;
  void Circle(float x, float y, float radius) override;
  void PSet(float x, float y) override;
  void Cls() override;
  void SetForeColor(ColourValue colour) override;
  ColourValue ForeColor() const override { return foreColor_; }
  void SetFontSize(int points) override;

 protected:
  void DrawText(std::string_view utf8) override;
  void EndOfLine() override;

 private:
  struct FreeMemory {
    void operator()(std::uint32_t* memory) const { std::free(memory); }
  };
  using OwnMemory = std::unique_ptr<std::uint32_t, FreeMemory>;

  int width_, height_;
  OwnMemory own_;                    // null while drawing into given memory
  std::uint32_t* pixels_ = nullptr;  // own_ or the given memory
  ColourValue foreColor_ = Rgb(255, 255, 255);
  int fontSizePoints_ = 12;
  float currentX_ = 0, currentY_ = 0;
  DirtyRect dirty_;
  mutable bool clearOwed_ = false;  // Cls's fill, not made yet
  std::uint32_t penPixel_ = 0xFFFFFFu;  // foreColor_ as a 0x00RRGGBB pixel
  std::unique_ptr<RasterFont> font_;

  std::size_t PixelCount() const;
  // Black pixels for the whole buffer.
  OwnMemory AllocateBlack() const;
  // Makes the fill a Cls owes; every use of the pixels comes through here.
  void PayClear() const;
  PixelTarget Target();
  FontFace& CurrentFace();
  void Touch(const DirtyRect& rect);
};

}  // namespace pelmic
