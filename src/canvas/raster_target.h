// SPDX-License-Identifier: MIT
// raster_target.h - the pixel buffer the raster drawing routines write into,
// and the small pixel helpers they share.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "cycle/canvas.h"
#include "canvas/raster_canvas.h"

namespace pelmic {

// A view of a row-major 0x00RRGGBB buffer without padding.
struct PixelTarget {
  std::uint32_t* pixels = nullptr;
  int width = 0;
  int height = 0;

  bool Contains(std::int64_t x, std::int64_t y) const { return x >= 0 && y >= 0 && x < width && y < height; }
  std::uint32_t& At(std::int64_t x, std::int64_t y) const {
    return pixels[static_cast<std::ptrdiff_t>(y) * width + static_cast<std::ptrdiff_t>(x)];
  }
};

// The smallest rectangle holding both; an empty one adds nothing.
inline DirtyRect UnionOf(const DirtyRect& a, const DirtyRect& b) {
  if (a.Empty()) return b;
  if (b.Empty()) return a;
  return {a.left < b.left ? a.left : b.left, a.top < b.top ? a.top : b.top, a.right > b.right ? a.right : b.right,
          a.bottom > b.bottom ? a.bottom : b.bottom};
}

// A colour value r + 256 * (g + 256 * b) as a 0x00RRGGBB pixel;
// anything above the low 24 bits is ignored.
constexpr std::uint32_t PixelFromColour(ColourValue colour) {
  return (static_cast<std::uint32_t>(RedOf(colour)) << 16) | (static_cast<std::uint32_t>(GreenOf(colour)) << 8) |
         static_cast<std::uint32_t>(BlueOf(colour));
}

// Coordinates beyond this magnitude are never rounded to pixels directly:
// lines are cut down to it first, points and text there are simply off-screen.
constexpr double kPixelCoordinateLimit = 33554432.0;  // 2^25

// A real coordinate's pixel: the nearest whole number, halves rounding up
// (towards +infinity), so that x.5 always lands on the same side whatever the
// sign. Callers keep |v| within kPixelCoordinateLimit.
inline std::int64_t RoundHalfUpToPixel(double v) { return static_cast<std::int64_t>(std::floor(v + 0.5)); }

inline bool RoundablePoint(double x, double y) {
  return std::fabs(x) < kPixelCoordinateLimit && std::fabs(y) < kPixelCoordinateLimit;
}

}  // namespace pelmic
