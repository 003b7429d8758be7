// SPDX-License-Identifier: MIT
#include "canvas/raster_line.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <utility>

namespace pelmic {

namespace {

// Division rounding towards -infinity / +infinity; the divisor is positive.
std::int64_t FloorDiv(std::int64_t n, std::int64_t d) { return n >= 0 ? n / d : -((-n + d - 1) / d); }
std::int64_t CeilDiv(std::int64_t n, std::int64_t d) { return -FloorDiv(-n, d); }

// A line seen along its major axis u (the one with the larger extent, walked
// forwards) and its minor axis v. Step i = 0 .. du sits at u0 + i and at
// v0 + sv * Offset(i), where Offset(i) = floor((2 * i * adv + du) / (2 * du)):
// the minor offset rounded to the nearest pixel, an exact half rounding away
// from v0. This is the classic integer Bresenham, written as a formula so
// that the first visible step can be found without walking to it.
struct MajorMinorLine {
  std::int64_t u0, v0;  // first end point
  std::int64_t du;      // > 0
  std::int64_t adv;     // |dv| <= du
  int sv;               // direction of v: +1 or -1
  std::int64_t uMax, vMax;  // last pixel index on each axis

  std::int64_t Offset(std::int64_t i) const { return (2 * i * adv + du) / (2 * du); }

  // The steps whose pixels fall inside the buffer, as [first, last];
  // first > last when the line misses the buffer.
  std::pair<std::int64_t, std::int64_t> VisibleSteps() const {
    std::int64_t first = std::max<std::int64_t>(0, -u0);
    std::int64_t last = std::min(du, uMax - u0);
    // The offset must stay within [offLo, offHi] for v to stay on the buffer.
    const std::int64_t offLo = sv > 0 ? -v0 : v0 - vMax;
    const std::int64_t offHi = sv > 0 ? vMax - v0 : v0;
    if (adv == 0) {
      if (offLo > 0 || offHi < 0) return {1, 0};
      return {first, last};
    }
    // Offset(i) >= offLo  <=>  i >= (2 * du * offLo - du) / (2 * adv)
    first = std::max(first, CeilDiv(2 * du * offLo - du, 2 * adv));
    // Offset(i) <= offHi  <=>  i < (2 * du * (offHi + 1) - du) / (2 * adv)
    last = std::min(last, CeilDiv(2 * du * (offHi + 1) - du, 2 * adv) - 1);
    return {first, last};
  }
};

DirtyRect PixelBox(std::int64_t xa, std::int64_t ya, std::int64_t xb, std::int64_t yb) {
  return {static_cast<int>(std::min(xa, xb)), static_cast<int>(std::min(ya, yb)), static_cast<int>(std::max(xa, xb)) + 1,
          static_cast<int>(std::max(ya, yb)) + 1};
}

// The inner loop: no bounds checks, the visible steps are known to be inside.
// Errors stay below 4 * du < 2^31, so 32-bit arithmetic suffices.
void WalkSteps(std::uint32_t* pixels, std::ptrdiff_t index, std::ptrdiff_t stepU, std::ptrdiff_t stepV, std::int32_t error,
               std::int32_t errorStep, std::int32_t errorWrap, std::int64_t count, std::uint32_t pixel) {
  for (std::int64_t n = count; n > 0; --n) {
    pixels[index] = pixel;
    index += stepU;
    error += errorStep;
    if (error >= errorWrap) {
      error -= errorWrap;
      index += stepV;
    }
  }
}

}  // namespace

DirtyRect DrawClippedLine(const PixelTarget& target, PixelPoint a, PixelPoint b, std::uint32_t pixel) {
  const bool xMajor = std::llabs(b.x - a.x) >= std::llabs(b.y - a.y);
  // Walk the major axis forwards so that both directions give the same pixels.
  if (xMajor ? a.x > b.x : a.y > b.y) std::swap(a, b);
  if (a.x == b.x && a.y == b.y) {
    if (!target.Contains(a.x, a.y)) return {};
    target.At(a.x, a.y) = pixel;
    return PixelBox(a.x, a.y, a.x, a.y);
  }

  const std::int64_t dv = xMajor ? b.y - a.y : b.x - a.x;
  const MajorMinorLine line{xMajor ? a.x : a.y,
                            xMajor ? a.y : a.x,
                            xMajor ? b.x - a.x : b.y - a.y,
                            std::llabs(dv),
                            dv < 0 ? -1 : 1,
                            (xMajor ? target.width : target.height) - 1,
                            (xMajor ? target.height : target.width) - 1};
  const auto [first, last] = line.VisibleSteps();
  if (first > last) return {};

  const std::int64_t u = line.u0 + first;
  const std::int64_t v = line.v0 + line.sv * line.Offset(first);
  const std::int64_t uEnd = line.u0 + last;
  const std::int64_t vEnd = line.v0 + line.sv * line.Offset(last);
  const std::int64_t x = xMajor ? u : v, y = xMajor ? v : u;
  const std::int64_t xEnd = xMajor ? uEnd : vEnd, yEnd = xMajor ? vEnd : uEnd;

  const std::ptrdiff_t stride = target.width;
  const std::ptrdiff_t stepU = xMajor ? 1 : stride;
  const std::ptrdiff_t stepV = (xMajor ? stride : 1) * line.sv;
  const std::int64_t numerator = 2 * first * line.adv + line.du;
  const auto error = static_cast<std::int32_t>(numerator % (2 * line.du));
  WalkSteps(target.pixels, static_cast<std::ptrdiff_t>(y) * stride + static_cast<std::ptrdiff_t>(x), stepU, stepV, error,
            static_cast<std::int32_t>(2 * line.adv), static_cast<std::int32_t>(2 * line.du), last - first + 1, pixel);
  return PixelBox(x, y, xEnd, yEnd);
}

namespace {

// Liang-Barsky: cuts the segment to the square [-limit, limit]^2. The cut
// points are measured from the start point, so their error is a rounding of
// the distances from it: small when the start point is near the square.
bool ClipToSquareFrom(double& x1, double& y1, double& x2, double& y2, double limit) {
  const double dx = x2 - x1, dy = y2 - y1;
  double t0 = 0.0, t1 = 1.0;
  // Each edge keeps the part where p * t <= q.
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {x1 + limit, limit - x1, y1 + limit, limit - y1};
  for (int k = 0; k < 4; ++k) {
    if (p[k] == 0.0) {
      if (q[k] < 0.0) return false;
      continue;
    }
    const double t = q[k] / p[k];
    if (p[k] < 0.0) {
      t0 = std::max(t0, t);
    } else {
      t1 = std::min(t1, t);
    }
    if (t0 > t1) return false;
  }
  const double startX = x1, startY = y1;
  if (t0 > 0.0) x1 = startX + t0 * dx, y1 = startY + t0 * dy;
  if (t1 < 1.0) x2 = startX + t1 * dx, y2 = startY + t1 * dy;
  return true;
}

// Measures from the end point nearer the square, so that a line from a
// sensible point to one far away keeps its direction on the screen. With
// both ends very far away the cut is only as good as double precision allows.
bool ClipToSquare(double& x1, double& y1, double& x2, double& y2, double limit) {
  const double reach1 = std::max(std::fabs(x1), std::fabs(y1));
  const double reach2 = std::max(std::fabs(x2), std::fabs(y2));
  if (reach1 <= reach2) return ClipToSquareFrom(x1, y1, x2, y2, limit);
  return ClipToSquareFrom(x2, y2, x1, y1, limit);
}

}  // namespace

bool SegmentToPixels(double x1, double y1, double x2, double y2, PixelPoint& a, PixelPoint& b) {
  if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2)) return false;
  if (!RoundablePoint(x1, y1) || !RoundablePoint(x2, y2)) {
    // Half the rounding limit: still far beyond any screen, and the cut
    // points stay roundable whatever the floating-point error.
    if (!ClipToSquare(x1, y1, x2, y2, kPixelCoordinateLimit / 2)) return false;
  }
  a = {RoundHalfUpToPixel(x1), RoundHalfUpToPixel(y1)};
  b = {RoundHalfUpToPixel(x2), RoundHalfUpToPixel(y2)};
  return true;
}

}  // namespace pelmic
