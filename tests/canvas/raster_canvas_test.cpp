// SPDX-License-Identifier: MIT
// Pixel-exact tests of the raster canvas's lines, circles, points and
// clearing. Expected pictures are ASCII art: '#' is the pen colour, '.' black.
#include "canvas/raster_canvas.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace pelmic {
namespace {

constexpr ColourValue kPen = Rgb(200, 230, 240);
constexpr std::uint32_t kPenPixel = 0xC8E6F0;

std::string Art(const RasterCanvas& canvas) {
  std::string art;
  for (int y = 0; y < canvas.Height(); ++y) {
    for (int x = 0; x < canvas.Width(); ++x) {
      const std::uint32_t p = canvas.PixelAt(x, y);
      art += p == 0 ? '.' : p == kPenPixel ? '#' : '?';
    }
    art += '\n';
  }
  return art;
}

std::string Rows(std::initializer_list<const char*> rows) {
  std::string art;
  for (const char* row : rows) art += std::string(row) + '\n';
  return art;
}

RasterCanvas PenCanvas(int width, int height) {
  RasterCanvas canvas(width, height);
  canvas.SetForeColor(kPen);
  canvas.TakeDirtyRect();
  return canvas;
}

void ExpectRect(const DirtyRect& r, int left, int top, int right, int bottom) {
  EXPECT_EQ(r.left, left);
  EXPECT_EQ(r.top, top);
  EXPECT_EQ(r.right, right);
  EXPECT_EQ(r.bottom, bottom);
}

TEST(RasterCanvasLine, HorizontalAndVerticalIncludeBothEnds) {
  RasterCanvas canvas = PenCanvas(8, 6);
  canvas.Line(1, 1, 6, 1);
  canvas.Line(3, 5, 3, 3);
  EXPECT_EQ(Art(canvas), Rows({
                             "........",
                             ".######.",
                             "........",
                             "...#....",
                             "...#....",
                             "...#....",
                         }));
  EXPECT_EQ(canvas.CurrentX(), 3.0f);
  EXPECT_EQ(canvas.CurrentY(), 3.0f);
}

TEST(RasterCanvasLine, DiagonalShallowAndSteep) {
  RasterCanvas diagonal = PenCanvas(5, 5);
  diagonal.Line(4, 0, 0, 4);
  EXPECT_EQ(Art(diagonal), Rows({"....#", "...#.", "..#..", ".#...", "#...."}));

  RasterCanvas shallow = PenCanvas(8, 3);
  shallow.Line(0, 0, 7, 2);
  EXPECT_EQ(Art(shallow), Rows({"##......", "..####..", "......##"}));

  RasterCanvas steep = PenCanvas(5, 8);
  steep.Line(1, 0, 3, 7);
  EXPECT_EQ(Art(steep), Rows({".#...", ".#...", "..#..", "..#..", "..#..", "..#..", "...#.", "...#."}));
}

TEST(RasterCanvasLine, SamePixelsWhicheverWayRound) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> coordinate(0, 15);
  for (int n = 0; n < 300; ++n) {
    const auto x1 = static_cast<float>(coordinate(random)), y1 = static_cast<float>(coordinate(random));
    const auto x2 = static_cast<float>(coordinate(random)), y2 = static_cast<float>(coordinate(random));
    RasterCanvas forwards = PenCanvas(16, 16), backwards = PenCanvas(16, 16);
    forwards.Line(x1, y1, x2, y2);
    backwards.Line(x2, y2, x1, y1);
    ASSERT_EQ(Art(forwards), Art(backwards)) << x1 << "," << y1 << " - " << x2 << "," << y2;
  }
}

TEST(RasterCanvasLine, EndPointsRoundToTheNearestPixelHalvesUp) {
  RasterCanvas canvas = PenCanvas(6, 3);
  canvas.Line(0.5f, 0.49f, 3.49f, 0.4f);  // pixels (1, 0) to (3, 0)
  canvas.Line(-0.5f, 1.5f, 4.5f, 1.5f);   // pixels (0, 2) to (5, 2)
  EXPECT_EQ(Art(canvas), Rows({".###..", "......", "######"}));
  EXPECT_EQ(canvas.CurrentX(), 4.5f);
  EXPECT_EQ(canvas.CurrentY(), 1.5f);
}

TEST(RasterCanvasLine, EqualEndPointsOnlyMoveThePosition) {
  RasterCanvas canvas = PenCanvas(8, 8);
  canvas.Line(3.25f, 4.75f, 3.25f, 4.75f);
  EXPECT_EQ(Art(canvas), Art(PenCanvas(8, 8)));
  EXPECT_FALSE(canvas.HasChanges());
  EXPECT_EQ(canvas.CurrentX(), 3.25f);
  EXPECT_EQ(canvas.CurrentY(), 4.75f);

  // Distinct points that round to one pixel are a real, very short line; a
  // line wholly off the canvas adds nothing to the changed area.
  canvas.Line(-9, -9, -5, -2);
  canvas.Line(3.1f, 4.1f, 3.2f, 4.2f);
  EXPECT_EQ(canvas.PixelAt(3, 4), kPenPixel);
  EXPECT_TRUE(canvas.HasChanges());
  ExpectRect(canvas.TakeDirtyRect(), 3, 4, 4, 5);
  EXPECT_FALSE(canvas.HasChanges());
}

TEST(RasterCanvasLine, ClippedAtEachEdge) {
  RasterCanvas canvas = PenCanvas(8, 8);
  canvas.Line(-5, 1, 2, 1);   // left
  canvas.Line(5, 3, 12, 3);   // right
  canvas.Line(1, -9, 1, 0);   // top... ends on the first row
  canvas.Line(6, 5, 6, 40);   // bottom
  canvas.Line(-3, 7, 3, 13);  // only its first inner pixel (0, 10) misses: nothing shows
  EXPECT_EQ(Art(canvas), Rows({
                             ".#......",
                             "###.....",
                             "........",
                             ".....###",
                             "........",
                             "......#.",
                             "......#.",
                             "......#.",
                         }));
  ExpectRect(canvas.TakeDirtyRect(), 0, 0, 8, 8);
  EXPECT_EQ(canvas.CurrentX(), 3.0f);
  EXPECT_EQ(canvas.CurrentY(), 13.0f);
}

// Each clipped line must show exactly the pixels of the same line drawn
// whole on a larger buffer.
TEST(RasterCanvasLine, ClippingKeepsTheUnclippedPixels) {
  constexpr int kSide = 16, kMargin = 40;
  std::mt19937 random(2024);
  std::uniform_real_distribution<float> coordinate(-38.0f, 53.0f);
  for (int n = 0; n < 1500; ++n) {
    const float x1 = coordinate(random), y1 = coordinate(random), x2 = coordinate(random), y2 = coordinate(random);
    RasterCanvas clipped = PenCanvas(kSide, kSide);
    RasterCanvas whole = PenCanvas(kSide + 2 * kMargin, kSide + 2 * kMargin);
    clipped.Line(x1, y1, x2, y2);
    whole.Line(x1 + kMargin, y1 + kMargin, x2 + kMargin, y2 + kMargin);
    int minX = kSide, minY = kSide, maxX = -1, maxY = -1;
    for (int y = 0; y < kSide; ++y) {
      for (int x = 0; x < kSide; ++x) {
        ASSERT_EQ(clipped.PixelAt(x, y), whole.PixelAt(x + kMargin, y + kMargin))
            << "line " << x1 << "," << y1 << " - " << x2 << "," << y2 << " at " << x << "," << y;
        if (clipped.PixelAt(x, y) != 0) {
          minX = std::min(minX, x), minY = std::min(minY, y), maxX = std::max(maxX, x), maxY = std::max(maxY, y);
        }
      }
    }
    const DirtyRect dirty = clipped.TakeDirtyRect();
    if (maxX < 0) {
      ASSERT_TRUE(dirty.Empty());
    } else {
      ExpectRect(dirty, minX, minY, maxX + 1, maxY + 1);
    }
  }
}

TEST(RasterCanvasLine, EntirelyOutsideDrawsNothing) {
  RasterCanvas canvas = PenCanvas(8, 8);
  canvas.Line(-5, -5, -1, 20);
  canvas.Line(9, -3, 20, 4);
  canvas.Line(-10, 8, 30, 8);
  canvas.Line(-3, 2, 2, -3);  // passes close to the corner, but its pixels miss
  EXPECT_EQ(Art(canvas), Art(PenCanvas(8, 8)));
  EXPECT_TRUE(canvas.TakeDirtyRect().Empty());
}

TEST(RasterCanvasLine, HugeCoordinatesClipToTheVisiblePart) {
  const float huge = std::numeric_limits<float>::max();
  RasterCanvas canvas = PenCanvas(8, 8);
  canvas.Line(-1e7f, 2, 1e7f, 2);
  canvas.Line(1e30f, 1e30f, 0, 0);
  canvas.Line(6, 1, 6, huge);
  canvas.Line(-huge, 7, 3, 7);
  EXPECT_EQ(Art(canvas), Rows({
                             "#.......",
                             ".#....#.",
                             "########",
                             "...#..#.",
                             "....#.#.",
                             ".....##.",
                             "......#.",
                             "####..##",
                         }));
  EXPECT_EQ(canvas.CurrentX(), 3.0f);
  EXPECT_EQ(canvas.CurrentY(), 7.0f);
  ExpectRect(canvas.TakeDirtyRect(), 0, 0, 8, 8);
}

TEST(RasterCanvasLine, BothEndsFarAwayStayOnTheLine) {
  RasterCanvas canvas = PenCanvas(8, 8);
  canvas.Line(-1e30f, -1e30f, 1e30f, 1e30f);
  canvas.Line(std::numeric_limits<float>::lowest(), 0, std::numeric_limits<float>::max(), 0);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      if (canvas.PixelAt(x, y) != 0) {
        EXPECT_TRUE(x == y || y == 0) << x << "," << y;
      }
    }
  }
}

TEST(RasterCanvasLine, NonFiniteCoordinatesDrawNothing) {
  RasterCanvas canvas = PenCanvas(8, 8);
  canvas.Line(std::nanf(""), 1, 5, 5);
  canvas.Line(0, 0, std::numeric_limits<float>::infinity(), 0);
  EXPECT_TRUE(canvas.TakeDirtyRect().Empty());
  EXPECT_EQ(Art(canvas), Art(PenCanvas(8, 8)));
}

TEST(RasterCanvasCircle, OutlineOfRadiusThree) {
  RasterCanvas canvas = PenCanvas(9, 9);
  canvas.Circle(4.4f, 3.6f, 3);  // the centre rounds to (4, 4)
  EXPECT_EQ(Art(canvas), Rows({
                             ".........",
                             "...###...",
                             "..#...#..",
                             ".#.....#.",
                             ".#.....#.",
                             ".#.....#.",
                             "..#...#..",
                             "...###...",
                             ".........",
                         }));
  ExpectRect(canvas.TakeDirtyRect(), 1, 1, 8, 8);
  EXPECT_EQ(canvas.CurrentX(), 4.4f);
  EXPECT_EQ(canvas.CurrentY(), 3.6f);
}

TEST(RasterCanvasCircle, ClippedAtTheCorner) {
  RasterCanvas canvas = PenCanvas(5, 5);
  canvas.Circle(0, 0, 3);
  EXPECT_EQ(Art(canvas), Rows({"...#.", "...#.", "..#..", "##...", "....."}));
  ExpectRect(canvas.TakeDirtyRect(), 0, 0, 4, 4);
  canvas.Circle(-10, 2, 3);
  canvas.Circle(2, 1e30f, 3);
  EXPECT_TRUE(canvas.TakeDirtyRect().Empty());
}

TEST(RasterCanvasPoint, PSetPlotsAndMovesThePosition) {
  RasterCanvas canvas = PenCanvas(4, 3);
  canvas.PSet(2.5f, 1.49f);
  EXPECT_EQ(Art(canvas), Rows({"....", "...#", "...."}));
  EXPECT_EQ(canvas.CurrentX(), 2.5f);
  EXPECT_EQ(canvas.CurrentY(), 1.49f);
  ExpectRect(canvas.TakeDirtyRect(), 3, 1, 4, 2);

  canvas.PSet(-1, 7);  // off the buffer: only the position moves
  EXPECT_TRUE(canvas.TakeDirtyRect().Empty());
  EXPECT_EQ(canvas.CurrentX(), -1.0f);
  EXPECT_EQ(canvas.CurrentY(), 7.0f);
}

TEST(RasterCanvasColour, ForeColorBecomesRgbPixel) {
  RasterCanvas canvas(2, 1);
  canvas.SetForeColor(Rgb(10, 20, 30));
  EXPECT_EQ(canvas.ForeColor(), 10u + 256u * (20u + 256u * 30u));
  canvas.PSet(0, 0);
  EXPECT_EQ(canvas.PixelAt(0, 0), 0x0A141Eu);
  canvas.SetForeColor(0x80000000u | Rgb(255, 0, 1));  // bits above the colour are ignored
  canvas.PSet(1, 0);
  EXPECT_EQ(canvas.PixelAt(1, 0), 0xFF0001u);
}

TEST(RasterCanvasClear, ClsBlackensEverythingAndHomesThePosition) {
  RasterCanvas canvas = PenCanvas(6, 4);
  canvas.Line(0, 0, 5, 3);
  canvas.Circle(3, 2, 1);
  canvas.TakeDirtyRect();
  canvas.Cls();
  EXPECT_EQ(Art(canvas), Art(RasterCanvas(6, 4)));
  EXPECT_EQ(canvas.CurrentX(), 0.0f);
  EXPECT_EQ(canvas.CurrentY(), 0.0f);
  ExpectRect(canvas.TakeDirtyRect(), 0, 0, 6, 4);
}

TEST(RasterCanvasMemory, DrawsWhereItWasMovedAndLeavesTheMemoryBefore) {
  RasterCanvas canvas = PenCanvas(6, 4);
  canvas.Line(0, 0, 5, 0);
  canvas.TakeDirtyRect();
  std::vector<std::uint32_t> given(6 * 4, 0xDEAD);
  canvas.MoveTo(given.data());
  EXPECT_EQ(canvas.Pixels(), given.data());
  EXPECT_FALSE(canvas.DrawsIntoOwnMemory());
  EXPECT_TRUE(canvas.TakeDirtyRect().Empty()) << "moving changes no pixel";
  canvas.Line(0, 3, 5, 3);
  EXPECT_EQ(given[3 * 6 + 2], kPenPixel);
  const std::string picture = Rows({"######", "......", "......", "######"});
  EXPECT_EQ(Art(canvas), picture);

  canvas.MoveTo(nullptr);
  EXPECT_TRUE(canvas.DrawsIntoOwnMemory());
  EXPECT_EQ(Art(canvas), picture);
  const std::vector<std::uint32_t> left = given;
  canvas.Circle(3, 2, 1);
  canvas.Cls();
  EXPECT_EQ(given, left) << "the memory left was drawn into";
  EXPECT_EQ(Art(canvas), Art(RasterCanvas(6, 4)));

  // Memory kept up to date by the caller: nothing copied, but a clear still owed is made there.
  canvas.Line(0, 0, 5, 0);
  std::vector<std::uint32_t> kept(6 * 4, 0xDEAD);
  canvas.DrawInto(kept.data());
  EXPECT_EQ(kept[0], 0xDEADu);
  canvas.Cls();
  canvas.DrawInto(given.data());
  EXPECT_EQ(Art(canvas), Art(RasterCanvas(6, 4)));
  EXPECT_EQ(given, std::vector<std::uint32_t>(6 * 4, 0));
}

TEST(RasterCanvasDirty, StartsWholeThenCollectsAndResets) {
  RasterCanvas canvas(16, 16);
  ExpectRect(canvas.TakeDirtyRect(), 0, 0, 16, 16);  // never shown yet
  EXPECT_TRUE(canvas.TakeDirtyRect().Empty());
  canvas.Line(2, 3, 5, 3);
  canvas.PSet(9, 12);
  ExpectRect(canvas.TakeDirtyRect(), 2, 3, 10, 13);
  EXPECT_TRUE(canvas.TakeDirtyRect().Empty());
}

TEST(RasterCanvasSize, RefusesEmptySizes) {
  EXPECT_THROW(RasterCanvas(0, 10), std::invalid_argument);
  EXPECT_THROW(RasterCanvas(10, -1), std::invalid_argument);
}

}  // namespace
}  // namespace pelmic
