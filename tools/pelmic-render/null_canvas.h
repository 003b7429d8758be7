// SPDX-License-Identifier: MIT
// null_canvas.h - a canvas without pixels, for runs that want only the report.
//
// The cycle reads back nothing but the pen colour and the screen size, so it
// computes the same cells through this canvas as through a raster one, while
// a 16384x16384 screen costs no gigabyte of pixels.
#pragma once

#include "cycle/canvas.h"

namespace pelmic::render {

class NullCanvas final : public Canvas {
 public:
  NullCanvas(int widthPx, int heightPx) : width_(widthPx), height_(heightPx) {}

  void Line(float, float, float, float) override {}
  void Circle(float, float, float) override {}
  void PSet(float, float) override {}
  void Cls() override {}
  void SetForeColor(ColourValue colour) override { foreColor_ = colour; }
  ColourValue ForeColor() const override { return foreColor_; }
  void SetFontSize(int) override {}

 protected:
  void DrawText(std::string_view) override {}
  void EndOfLine() override {}

 private:
  int width_, height_;
  ColourValue foreColor_ = Rgb(255, 255, 255);
};

}  // namespace pelmic::render
