// SPDX-License-Identifier: MIT
#include "cycle/cycle_setup.h"

#include <cmath>


namespace pelmic {
namespace {

// Int(r * span) + base. The product is taken in double so that r just below 1
// can never round up to span.
int RandomInRange(float r, int span, int base) { return static_cast<int>(std::floor(double{r} * span)) + base; }

ColourValue PickColour(RandomSource& random) {
  const float r1 = random.Rnd();
  const float r2 = random.Rnd();
  const float r3 = random.Rnd();
  const int blue = RandomInRange(r3, 23, 222);
  const int green = RandomInRange(r2, 23, 222);
  const int red = RandomInRange(r1, 123, 122);
  return Rgb(red, green, blue);
}

void MoveTo(Canvas& canvas, float x, float y) { canvas.Line(x, y, x, y); }

// The 100-pixel bar with ticks pointing up and "0" / "100" 25 px above its ends.
void DrawScaleBar(Canvas& canvas, float left, float y) {
  canvas.Line(left, y, left + 100, y);
  canvas.Line(left, y, left, y - 10);
  MoveTo(canvas, left, y - 25);
  canvas.Print({PrintItem::Text("0", true)});
  canvas.Line(left + 50, y, left + 50, y - 5);
  canvas.Line(left + 100, y, left + 100, y - 10);
  MoveTo(canvas, left + 100, y - 25);
  canvas.Print({PrintItem::Text("100", true)});
}

// A coordinate Rnd * extent in [0, extent): single precision like the sites,
// and never the far edge itself, which is outside the screen.
float RandomCoordinate(float r, double extent) {
  const auto edge = static_cast<float>(extent);
  const auto value = static_cast<float>(double{r} * extent);
  return value >= edge ? std::nextafter(edge, 0.0f) : value;
}

void PlaceSites(Canvas& canvas, RandomSource& random, ScreenSize screen, SiteTable& sites) {
  for (int i = 1; i <= sites.siteCount; ++i) {
    const float rx = random.Rnd();
    sites.siteX.at(SlotOf(i)) = RandomCoordinate(rx, screen.widthPx);
    const float ry = random.Rnd();
    sites.siteY.at(SlotOf(i)) = RandomCoordinate(ry, screen.heightPx);
    canvas.Circle(static_cast<float>(sites.X(i)), static_cast<float>(sites.Y(i)), 3);
  }
}

}  // namespace

void RunCycleSetup(Canvas& canvas, RandomSource& random, CycleState& state) {
  state.colour = PickColour(random);
  canvas.SetForeColor(state.colour);

  state.scaleBarLeft = static_cast<float>(double{random.Rnd()} * (double{state.screen.widthPx} - 380));
  state.scaleBarY = static_cast<float>(double{random.Rnd()} * 150 + 40);
  canvas.SetFontSize(12);
  DrawScaleBar(canvas, state.scaleBarLeft, state.scaleBarY);

  SiteTable& sites = state.tables.sites;
  sites.siteCount = static_cast<std::int16_t>(RandomInRange(random.Rnd(), kMaxSites - kMinSites + 1, kMinSites));
  canvas.SetFontSize(20);
  MoveTo(canvas, state.scaleBarLeft, state.scaleBarY);
  canvas.Print({PrintItem::Text("N="), PrintItem::Int16(sites.siteCount, true)});
  canvas.SetFontSize(12);

  PlaceSites(canvas, random, state.screen, sites);
}

}  // namespace pelmic
