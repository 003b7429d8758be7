// SPDX-License-Identifier: MIT
// raster_line.h - 1-pixel lines, clipped to the buffer before rasterising.
#pragma once

#include <cstdint>

#include "canvas/raster_canvas.h"
#include "canvas/raster_target.h"

namespace pelmic {

struct PixelPoint {
  std::int64_t x = 0, y = 0;
};

// Draws the Bresenham line from a to b, both end points included, and returns
// the part of the buffer it touched. Only the visible pixels are visited, and
// they are exactly the pixels the unclipped line would have, whichever way
// round a and b are given. |coordinates| must stay below 2^26.
DirtyRect DrawClippedLine(const PixelTarget& target, PixelPoint a, PixelPoint b, std::uint32_t pixel);

// Rounds a real segment to pixel end points for DrawClippedLine. Segments
// with coordinates too large to round are first cut down (in double
// precision) to a box far larger than any screen; false if nothing is left or
// a coordinate is not finite.
bool SegmentToPixels(double x1, double y1, double x2, double y2, PixelPoint& a, PixelPoint& b);

}  // namespace pelmic
