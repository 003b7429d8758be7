// SPDX-License-Identifier: MIT
// Text on the raster canvas: size and advances from the embedded DejaVu Sans
// metrics (2048 units per em, ascent 1901, descent 483, digits 1303 wide,
// space 651), placement of the glyphs in their cell, blending and clipping.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "canvas/raster_canvas.h"
#include "canvas/raster_text.h"

namespace pelmic {
namespace {

constexpr ColourValue kPen = Rgb(200, 230, 240);
constexpr std::uint32_t kPenPixel = 0xC8E6F0;

// Font units to pixels at a size in points (96 dpi).
constexpr float Px(int units, int points) { return static_cast<float>(units) * static_cast<float>(points) * 96.0f / 72.0f / 2048.0f; }

RasterCanvas PenCanvas(int width, int height, int points = 12) {
  RasterCanvas canvas(width, height);
  canvas.SetForeColor(kPen);
  canvas.SetFontSize(points);
  canvas.TakeDirtyRect();
  return canvas;
}

// How far Print moves the position for one text item.
float AdvanceOf(const PrintItem& item, int points = 12) {
  RasterCanvas canvas = PenCanvas(8, 8, points);
  canvas.Print({item});
  return canvas.CurrentX();
}

struct Box {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;  // half-open when non-empty
  bool Empty() const { return right < 0; }
};

Box ChangedPixels(const RasterCanvas& canvas, std::uint32_t background = 0) {
  Box box;
  for (int y = 0; y < canvas.Height(); ++y) {
    for (int x = 0; x < canvas.Width(); ++x) {
      if (canvas.PixelAt(x, y) == background) continue;
      box.left = std::min(box.left, x), box.top = std::min(box.top, y);
      box.right = std::max(box.right, x + 1), box.bottom = std::max(box.bottom, y + 1);
    }
  }
  return box;
}

std::uint32_t BlendOverBlack(std::uint32_t pen, std::uint32_t coverage) {
  std::uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8) out |= ((((pen >> shift) & 0xFFu) * coverage + 127) / 255) << shift;
  return out;
}

TEST(RasterText, PointSizesAt96Dpi) {
  RasterCanvas canvas = PenCanvas(64, 64);
  canvas.Line(5, 3, 5, 3);
  canvas.Print({PrintItem::Text("0", true)});
  EXPECT_EQ(canvas.CurrentX(), 0.0f);
  EXPECT_NEAR(canvas.CurrentY(), 3.0f + Px(1901 + 483, 12), 1e-4);  // 18.625
  canvas.SetFontSize(20);
  canvas.Print({PrintItem::Text("", true)});
  EXPECT_NEAR(canvas.CurrentY(), 3.0f + Px(2384, 12) + Px(2384, 20), 1e-4);
}

TEST(RasterText, TextAndNumbersAdvanceByTheirCharacters) {
  const float digit = Px(1303, 12), space = Px(651, 12);
  EXPECT_NEAR(AdvanceOf(PrintItem::Text("1")), digit, 1e-4);
  EXPECT_NEAR(AdvanceOf(PrintItem::Text("17")), 2 * digit, 1e-4);
  EXPECT_NEAR(AdvanceOf(PrintItem::Text("123456")), 6 * digit, 1e-3);
  EXPECT_NEAR(AdvanceOf(PrintItem::Int32(17)), 2 * space + 2 * digit, 1e-4);          // " 17 "
  EXPECT_NEAR(AdvanceOf(PrintItem::Int16(-3)), AdvanceOf(PrintItem::Text("-")) + digit + space, 1e-4);  // "-3 "
  EXPECT_NEAR(AdvanceOf(PrintItem::Int16(17), 20), 2 * Px(651, 20) + 2 * Px(1303, 20), 1e-4);

  // Items follow one another; the end of the line returns to the left edge.
  RasterCanvas canvas = PenCanvas(64, 64, 20);
  canvas.Line(7, 2, 7, 2);
  canvas.Print({PrintItem::Text("N="), PrintItem::Int16(17)});
  EXPECT_NEAR(canvas.CurrentX(), 7.0f + Px(1532 + 1716 + 2 * 651 + 2 * 1303, 20), 1e-3);
  EXPECT_EQ(canvas.CurrentY(), 2.0f);
  canvas.Print({PrintItem::Int32(5, true)});
  EXPECT_EQ(canvas.CurrentX(), 0.0f);
  EXPECT_NEAR(canvas.CurrentY(), 2.0f + Px(2384, 20), 1e-4);
}

TEST(RasterText, KerningTightensPairs) {
  EXPECT_NEAR(AdvanceOf(PrintItem::Text("AT")), Px(1401 + 1251 - 159, 12), 1e-4);
}

// Every printable character stays inside its cell: nothing above the current
// y, nothing below the line, nothing far beyond its advance.
TEST(RasterText, GlyphsStayInTheirCell) {
  for (int points : {12, 20}) {
    const float lineHeight = Px(2384, points);
    for (char c = ' '; c <= '~'; ++c) {
      RasterCanvas canvas = PenCanvas(80, 60, points);
      canvas.Line(20, 10, 20, 10);
      canvas.Print({PrintItem::Text(std::string(1, c))});
      const float advance = canvas.CurrentX() - 20.0f;
      const Box ink = ChangedPixels(canvas);
      if (c == ' ') {
        EXPECT_TRUE(ink.Empty());
        continue;
      }
      ASSERT_FALSE(ink.Empty()) << c;
      EXPECT_GE(ink.top, 10) << c << " at " << points << " pt";
      EXPECT_LE(ink.bottom, 10 + static_cast<int>(lineHeight + 1)) << c;
      EXPECT_GE(ink.left, 20 - 2) << c;
      EXPECT_LE(ink.right, 20 + static_cast<int>(advance) + 3) << c;
    }
  }
}

TEST(RasterText, LargerSizeGivesTallerGlyphs) {
  for (auto [points, lowest, highest] : {std::tuple{12, 11, 13}, std::tuple{20, 19, 21}}) {
    RasterCanvas canvas = PenCanvas(40, 40, points);
    canvas.Print({PrintItem::Text("8")});
    const Box ink = ChangedPixels(canvas);
    // The digits stand 1493 units tall: 11.7 px at 12 pt, 19.4 px at 20 pt.
    EXPECT_GE(ink.bottom - ink.top, lowest) << points;
    EXPECT_LE(ink.bottom - ink.top, highest) << points;
  }
}

TEST(RasterText, CoverageBlendsBetweenBlackAndThePen) {
  RasterCanvas canvas = PenCanvas(64, 24);
  canvas.Print({PrintItem::Int32(408)});
  int full = 0, partial = 0;
  for (int y = 0; y < canvas.Height(); ++y) {
    for (int x = 0; x < canvas.Width(); ++x) {
      const std::uint32_t p = canvas.PixelAt(x, y);
      if (p == 0) continue;
      if (p == kPenPixel) {
        ++full;
        continue;
      }
      ++partial;
      bool isBlend = false;
      for (std::uint32_t c = 1; c < 255 && !isBlend; ++c) isBlend = p == BlendOverBlack(kPenPixel, c);
      EXPECT_TRUE(isBlend) << std::hex << p << " at " << std::dec << x << "," << y;
    }
  }
  EXPECT_GT(full, 10);
  EXPECT_GT(partial, 10);
}

TEST(RasterText, CoverageBlendsOverWhatIsThere) {
  RasterCanvas canvas(40, 24);
  canvas.SetForeColor(Rgb(0, 0, 255));
  for (int y = 0; y < 24; ++y) canvas.Line(0, static_cast<float>(y), 39, static_cast<float>(y));
  canvas.SetForeColor(Rgb(255, 0, 0));
  canvas.Line(2, 0, 2, 0);
  canvas.Print({PrintItem::Text("0")});
  int red = 0;
  for (int y = 0; y < 24; ++y) {
    for (int x = 0; x < 40; ++x) {
      const std::uint32_t p = canvas.PixelAt(x, y);
      const auto r = static_cast<int>(p >> 16), g = static_cast<int>((p >> 8) & 0xFF), b = static_cast<int>(p & 0xFF);
      EXPECT_EQ(g, 0);
      EXPECT_NEAR(r + b, 255, 1) << x << "," << y;
      red += r > 0;
    }
  }
  EXPECT_GT(red, 20);
}

TEST(RasterText, DirtyRectCoversTheInk) {
  RasterCanvas canvas = PenCanvas(64, 40);
  canvas.Line(6.4f, 9.6f, 6.4f, 9.6f);
  canvas.Print({PrintItem::Int32(1234, true)});
  const Box ink = ChangedPixels(canvas);
  const DirtyRect dirty = canvas.TakeDirtyRect();
  EXPECT_LE(dirty.left, ink.left);
  EXPECT_LE(dirty.top, ink.top);
  EXPECT_GE(dirty.right, ink.right);
  EXPECT_GE(dirty.bottom, ink.bottom);
  EXPECT_GE(dirty.top, 10);  // the position's pixel row
  EXPECT_LE(dirty.bottom, 10 + 19);
  EXPECT_TRUE(canvas.TakeDirtyRect().Empty());
}

// Text running off any edge shows exactly the part that lies on the buffer.
TEST(RasterText, ClippedAtTheEdges) {
  constexpr int kMargin = 40;
  for (auto [x, y] : {std::pair{22.0f, 9.0f}, std::pair{-13.0f, -8.0f}, std::pair{3.0f, 12.0f}}) {
    RasterCanvas clipped = PenCanvas(32, 16);
    RasterCanvas whole = PenCanvas(32 + 2 * kMargin, 16 + 2 * kMargin);
    clipped.Line(x, y, x, y);
    clipped.Print({PrintItem::Int32(123456, true)});
    whole.Line(x + kMargin, y + kMargin, x + kMargin, y + kMargin);
    whole.Print({PrintItem::Int32(123456, true)});
    int shown = 0;
    for (int py = 0; py < 16; ++py) {
      for (int px = 0; px < 32; ++px) {
        ASSERT_EQ(clipped.PixelAt(px, py), whole.PixelAt(px + kMargin, py + kMargin)) << x << "," << y;
        shown += clipped.PixelAt(px, py) != 0;
      }
    }
    EXPECT_GT(shown, 0);
    const DirtyRect dirty = clipped.TakeDirtyRect();
    EXPECT_TRUE(dirty.left >= 0 && dirty.top >= 0 && dirty.right <= 32 && dirty.bottom <= 16);
  }
}

TEST(RasterText, FarAwayTextOnlyAdvances) {
  RasterCanvas canvas = PenCanvas(16, 16);
  canvas.PSet(1e30f, 4);
  canvas.TakeDirtyRect();
  canvas.Print({PrintItem::Text("88")});
  EXPECT_TRUE(canvas.TakeDirtyRect().Empty());
  EXPECT_GT(canvas.CurrentX(), 1e30f * 0.99f);
}

TEST(RasterText, SameLabelSamePixelsWherever) {
  RasterCanvas near = PenCanvas(48, 32), far = PenCanvas(48, 32);
  near.Line(3, 2, 3, 2);
  near.Print({PrintItem::Int32(42)});
  for (int round = 0; round < 2; ++round) {  // the second time the glyphs come from the cache
    far.Cls();
    far.Line(13, 12, 13, 12);
    far.Print({PrintItem::Int32(42)});
    for (int y = 0; y < 20; ++y) {
      for (int x = 0; x < 35; ++x) ASSERT_EQ(far.PixelAt(x + 10, y + 10), near.PixelAt(x, y)) << x << "," << y;
    }
  }
  EXPECT_FALSE(ChangedPixels(near).Empty());
}

TEST(RasterText, Utf8Decoding) {
  const std::string text = "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xC0\x80\xE2\x82";
  std::size_t pos = 0;
  EXPECT_EQ(NextCodepoint(text, pos), U'A');
  EXPECT_EQ(NextCodepoint(text, pos), U'\u00E9');
  EXPECT_EQ(NextCodepoint(text, pos), U'\u20AC');
  EXPECT_EQ(NextCodepoint(text, pos), U'\U0001F600');
  EXPECT_EQ(NextCodepoint(text, pos), U'\uFFFD');  // overlong C0 80, one byte at a time
  EXPECT_EQ(NextCodepoint(text, pos), U'\uFFFD');
  EXPECT_EQ(NextCodepoint(text, pos), U'\uFFFD');  // truncated E2 82
  EXPECT_EQ(NextCodepoint(text, pos), U'\uFFFD');
  EXPECT_EQ(pos, text.size());

  // Characters outside the font show its missing-glyph box and still advance.
  RasterCanvas canvas = PenCanvas(32, 24);
  canvas.Print({PrintItem::Text("\xC3\xA9")});
  EXPECT_GT(canvas.CurrentX(), 0.0f);
  EXPECT_FALSE(ChangedPixels(canvas).Empty());
}

}  // namespace
}  // namespace pelmic
