// SPDX-License-Identifier: MIT
// canvas.h - the drawing operations the diagram cycle relies on.
//
// The cycle draws through this interface only, so that one raster canvas
// (src/canvas/) serves every front end and tests can record the calls. It is a
// pen-plotter model: a current position, a pen colour (ForeColor), a font
// size, and a handful of operations. Coordinates are pixels as floats, origin
// top-left, y downwards.
//
//   canvas.SetForeColor(Rgb(200, 230, 240));
//   canvas.Line(10, 40, 110, 40);                    // position is now (110, 40)
//   canvas.Print({PrintItem::Text("N="), PrintItem::Int16(17, true)});  // "N= 17 "
//
// Print formats its items here, once for every canvas: a number gets one
// leading blank when not negative (a minus otherwise) and one trailing blank.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace pelmic {

// r + 256 * (g + 256 * b): red in the low byte, as the cycle computes colours.
using ColourValue = std::uint32_t;

constexpr ColourValue Rgb(int red, int green, int blue) {
  return static_cast<ColourValue>(red) + 256u * (static_cast<ColourValue>(green) + 256u * static_cast<ColourValue>(blue));
}
constexpr int RedOf(ColourValue c) { return static_cast<int>(c & 0xFFu); }
constexpr int GreenOf(ColourValue c) { return static_cast<int>((c >> 8) & 0xFFu); }
constexpr int BlueOf(ColourValue c) { return static_cast<int>((c >> 16) & 0xFFu); }

// One item of a Print call: a string or a number, optionally ending the line.
struct PrintItem {
  std::string text;
  bool endOfLine = false;

  static PrintItem Text(std::string_view s, bool eol = false) { return {std::string(s), eol}; }
  static PrintItem Int16(std::int16_t n, bool eol = false) { return {FormatNumber(n), eol}; }
  static PrintItem Int32(std::int32_t n, bool eol = false) { return {FormatNumber(n), eol}; }

  // " 17 " for 17, "-3 " for -3: the sign position is a blank when not negative.
  static std::string FormatNumber(std::int64_t n);
};

class Canvas {
 public:
  virtual ~Canvas() = default;

  // A 1-pixel line in ForeColor including both end points; the position moves to (x2, y2).
  virtual void Line(float x1, float y1, float x2, float y2) = 0;
  // Outline of a circle in ForeColor.
  virtual void Circle(float x, float y, float radius) = 0;
  // One pixel in ForeColor; the position moves to (x, y).
  virtual void PSet(float x, float y) = 0;
  // Fills everything with black; the position becomes (0, 0).
  virtual void Cls() = 0;

  virtual void SetForeColor(ColourValue colour) = 0;
  virtual ColourValue ForeColor() const = 0;
  virtual void SetFontSize(int points) = 0;

  // Writes the items one after another from the current position.
  void Print(std::initializer_list<PrintItem> items);

 protected:
  // Text in ForeColor, its first character cell's top-left at the position,
  // which then advances past the text.
  virtual void DrawText(std::string_view utf8) = 0;
  // Moves the position to the left edge of the next text line.
  virtual void EndOfLine() = 0;
};

}  // namespace pelmic
