// SPDX-License-Identifier: MIT
#include "canvas/raster_font.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wconversion"
#pragma GCC diagnostic ignored "-Wsign-conversion"
#pragma GCC diagnostic ignored "-Wshadow"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wcast-qual"
#define STB_TRUETYPE_IMPLEMENTATION
#include <stb_truetype.h>
#pragma GCC diagnostic pop

#include "canvas/raster_font_data.h"

namespace pelmic {

FontFace::FontFace(const stbtt_fontinfo& info, int points)
    : info_(info), scale_(stbtt_ScaleForMappingEmToPixels(&info, PixelsPerEm(points))) {
  int ascent = 0, descent = 0, lineGap = 0;
  stbtt_GetFontVMetrics(&info_, &ascent, &descent, &lineGap);
  ascentRows_ = static_cast<int>(std::ceil(static_cast<float>(ascent) * scale_));
  lineHeightPx_ = static_cast<float>(ascent - descent + lineGap) * scale_;
}

const Glyph& FontFace::GlyphFor(char32_t codepoint) {
  auto found = glyphs_.find(codepoint);
  if (found == glyphs_.end()) found = glyphs_.emplace(codepoint, Rasterise(codepoint)).first;
  return found->second;
}

float FontFace::KernPx(const Glyph& first, const Glyph& second) const {
  return static_cast<float>(stbtt_GetGlyphKernAdvance(&info_, first.index, second.index)) * scale_;
}

Glyph FontFace::Rasterise(char32_t codepoint) const {
  Glyph glyph;
  // Characters the subset lacks get glyph 0, the font's missing-glyph box.
  glyph.index = stbtt_FindGlyphIndex(&info_, static_cast<int>(codepoint));
  int advance = 0, leftBearing = 0;
  stbtt_GetGlyphHMetrics(&info_, glyph.index, &advance, &leftBearing);
  glyph.advancePx = static_cast<float>(advance) * scale_;
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  stbtt_GetGlyphBitmapBox(&info_, glyph.index, scale_, scale_, &x0, &y0, &x1, &y1);
  glyph.left = x0;
  glyph.top = y0;
  glyph.width = std::max(0, x1 - x0);
  glyph.height = std::max(0, y1 - y0);
  if (glyph.width > 0 && glyph.height > 0) {
    glyph.coverage.assign(static_cast<std::size_t>(glyph.width) * static_cast<std::size_t>(glyph.height), 0);
    stbtt_MakeGlyphBitmap(&info_, glyph.coverage.data(), glyph.width, glyph.height, glyph.width, scale_, scale_,
                          glyph.index);
  }
  return glyph;
}

RasterFont::RasterFont() {
  if (!stbtt_InitFont(&info_, kDejaVuSansSubset, stbtt_GetFontOffsetForIndex(kDejaVuSansSubset, 0))) {
    throw std::runtime_error("the embedded DejaVu Sans font cannot be read");
  }
}

FontFace& RasterFont::Face(int points) {
  points = std::clamp(points, 1, kMaxPoints);
  std::unique_ptr<FontFace>& face = faces_[points];
  if (!face) face = std::make_unique<FontFace>(info_, points);
  return *face;
}

}  // namespace pelmic
