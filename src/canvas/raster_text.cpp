// SPDX-License-Identifier: MIT
#include "canvas/raster_text.h"

#include <algorithm>
#include <cstdint>

namespace pelmic {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// dst + (fg - dst) * coverage / 255 for each channel, rounded.
std::uint32_t Blend(std::uint32_t dst, std::uint32_t fg, std::uint32_t coverage) {
  const std::uint32_t keep = 255 - coverage;
  std::uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const std::uint32_t d = (dst >> shift) & 0xFFu, f = (fg >> shift) & 0xFFu;
    out |= ((d * keep + f * coverage + 127) / 255) << shift;
  }
  return out;
}

// Blends one glyph bitmap with its top-left at (left, top); returns the
// clipped box it covered.
DirtyRect BlendGlyph(const PixelTarget& target, const Glyph& glyph, std::int64_t left, std::int64_t top,
                     std::uint32_t pixel) {
  const std::int64_t x0 = std::max<std::int64_t>(left, 0), y0 = std::max<std::int64_t>(top, 0);
  const std::int64_t x1 = std::min<std::int64_t>(left + glyph.width, target.width);
  const std::int64_t y1 = std::min<std::int64_t>(top + glyph.height, target.height);
  if (x0 >= x1 || y0 >= y1) return {};
  for (std::int64_t y = y0; y < y1; ++y) {
    const std::uint8_t* cover = glyph.coverage.data() + (y - top) * glyph.width + (x0 - left);
    std::uint32_t* dst = &target.At(x0, y);
    for (std::int64_t x = x0; x < x1; ++x, ++cover, ++dst) {
      if (*cover == 0) continue;
      *dst = *cover == 255 ? pixel : Blend(*dst, pixel, *cover);
    }
  }
  return {static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1), static_cast<int>(y1)};
}

bool IsContinuation(unsigned char byte) { return (byte & 0xC0u) == 0x80u; }

}  // namespace

char32_t NextCodepoint(std::string_view utf8, std::size_t& pos) {
  const auto lead = static_cast<unsigned char>(utf8[pos]);
  std::size_t length = 0;
  char32_t codepoint = 0, smallest = 0;
  if (lead < 0x80u) {
    ++pos;
    return lead;
  } else if (lead >= 0xC2u && lead <= 0xDFu) {
    length = 2, codepoint = lead & 0x1Fu, smallest = 0x80;
  } else if (lead >= 0xE0u && lead <= 0xEFu) {
    length = 3, codepoint = lead & 0x0Fu, smallest = 0x800;
  } else if (lead >= 0xF0u && lead <= 0xF4u) {
    length = 4, codepoint = lead & 0x07u, smallest = 0x10000;
  } else {
    ++pos;
    return kReplacement;
  }
  if (pos + length > utf8.size()) {
    ++pos;
    return kReplacement;
  }
  for (std::size_t k = 1; k < length; ++k) {
    const auto byte = static_cast<unsigned char>(utf8[pos + k]);
    if (!IsContinuation(byte)) {
      ++pos;
      return kReplacement;
    }
    codepoint = (codepoint << 6) | (byte & 0x3Fu);
  }
  if (codepoint < smallest || codepoint > 0x10FFFF || (codepoint >= 0xD800 && codepoint <= 0xDFFF)) {
    ++pos;
    return kReplacement;
  }
  pos += length;
  return codepoint;
}

TextRun DrawTextRun(const PixelTarget& target, FontFace& face, std::string_view utf8, float x, float y,
                    std::uint32_t pixel) {
  TextRun run;
  // Far off-screen text only moves the pen.
  const bool drawable = RoundablePoint(x, y);
  const std::int64_t baseline = drawable ? RoundHalfUpToPixel(y) + face.AscentRows() : 0;
  const Glyph* previous = nullptr;
  double pen = x;
  for (std::size_t pos = 0; pos < utf8.size();) {
    const Glyph& glyph = face.GlyphFor(NextCodepoint(utf8, pos));
    if (previous != nullptr) pen += face.KernPx(*previous, glyph);
    if (drawable && glyph.width > 0 && RoundablePoint(pen, y)) {
      const DirtyRect box = BlendGlyph(target, glyph, RoundHalfUpToPixel(pen) + glyph.left, baseline + glyph.top, pixel);
      run.touched = UnionOf(run.touched, box);
    }
    pen += glyph.advancePx;
    previous = &glyph;
  }
  run.advancePx = static_cast<float>(pen - static_cast<double>(x));
  return run;
}

}  // namespace pelmic
