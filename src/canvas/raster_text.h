// SPDX-License-Identifier: MIT
// raster_text.h - anti-aliased text on a transparent background.
#pragma once

#include <string_view>

#include "canvas/raster_canvas.h"
#include "canvas/raster_font.h"
#include "canvas/raster_target.h"

namespace pelmic {

struct TextRun {
  float advancePx = 0;  // how far the pen moved
  DirtyRect touched;    // the pixels the text changed, clipped to the buffer
};

// Writes UTF-8 text with the top-left of its first character cell at (x, y):
// the baseline lies face.AscentRows() below the pixel row of y. Each glyph's
// coverage blends `pixel` over what is already there; whatever falls outside
// the buffer is dropped. Invalid UTF-8 shows as the missing-glyph box.
TextRun DrawTextRun(const PixelTarget& target, FontFace& face, std::string_view utf8, float x, float y,
                    std::uint32_t pixel);

// The next code point of UTF-8 text, advancing `pos`; malformed bytes give
// U+FFFD one byte at a time.
char32_t NextCodepoint(std::string_view utf8, std::size_t& pos);

}  // namespace pelmic
