// SPDX-License-Identifier: MIT
// raster_font.h - the canvas's one typeface, rasterised by stb_truetype.
//
// The face is the DejaVu Sans subset compiled into the program. Each size
// keeps the glyphs it has rasterised, so a label printed again costs no
// rasterising and no allocation.
//
//   RasterFont font;
//   FontFace& face = font.Face(12);          // 12 pt at 96 dpi: a 16 px em
//   const Glyph& one = face.GlyphFor(U'1');
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

#include <stb_truetype.h>

namespace pelmic {

// One rasterised glyph: coverage 0..255 per pixel, placed relative to the pen
// position on the baseline (y downwards).
struct Glyph {
  int index = 0;  // the font's glyph number, for kerning
  float advancePx = 0;
  int left = 0, top = 0;  // offset of the bitmap's top-left from the pen
  int width = 0, height = 0;
  std::vector<std::uint8_t> coverage;  // width * height, row-major
};

// The typeface at one size.
class FontFace {
 public:
  FontFace(const stbtt_fontinfo& info, int points);

  // Pixels from a text line's top to its baseline, rounded up so that no
  // glyph reaches above the line.
  int AscentRows() const { return ascentRows_; }
  // Distance from one text line to the next.
  float LineHeightPx() const { return lineHeightPx_; }
  const Glyph& GlyphFor(char32_t codepoint);
  // Extra advance between two glyphs (usually 0).
  float KernPx(const Glyph& first, const Glyph& second) const;

 private:
  Glyph Rasterise(char32_t codepoint) const;

  const stbtt_fontinfo& info_;
  float scale_;
  int ascentRows_;
  float lineHeightPx_;
  std::unordered_map<char32_t, Glyph> glyphs_;
};

class RasterFont {
 public:
  // Sizes outside 1 .. kMaxPoints are brought inside: a screen saver label
  // has no use for more, and the glyph cache stays bounded.
  static constexpr int kMaxPoints = 400;

  RasterFont();  // throws std::runtime_error if the embedded font is unreadable
  RasterFont(const RasterFont&) = delete;
  RasterFont& operator=(const RasterFont&) = delete;

  FontFace& Face(int points);

 private:
  stbtt_fontinfo info_{};
  std::map<int, std::unique_ptr<FontFace>> faces_;
};

// Pixels per em for a size in points, at the 96 dpi of a standard screen.
constexpr float PixelsPerEm(int points) { return static_cast<float>(points) * 96.0f / 72.0f; }

}  // namespace pelmic
