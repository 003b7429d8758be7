// SPDX-License-Identifier: MIT
// Costs of the raster canvas's operations at the sizes one saver cycle uses:
// a full-HD clear, long cell edges and six-digit area labels at 12 pt.
#include <benchmark/benchmark.h>

#include "canvas/raster_canvas.h"

namespace pelmic {
namespace {

void BM_CanvasCls(benchmark::State& state) {
  RasterCanvas canvas(1920, 1080);
  for (auto _ : state) {
    canvas.Cls();
    benchmark::DoNotOptimize(canvas.Pixels());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * 1920 * 1080 * 4);
}
BENCHMARK(BM_CanvasCls);

void BM_CanvasDiagonalLine1000(benchmark::State& state) {
  RasterCanvas canvas(1920, 1080);
  canvas.SetForeColor(Rgb(200, 230, 240));
  for (auto _ : state) {
    canvas.Line(100.3f, 40.6f, 1099.3f, 1039.6f);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 1000);  // pixels
}
BENCHMARK(BM_CanvasDiagonalLine1000);

// A line with far-off end points crossing the whole screen: only its 1920
// visible pixels may cost anything.
void BM_CanvasFarClippedLine(benchmark::State& state) {
  RasterCanvas canvas(1920, 1080);
  canvas.SetForeColor(Rgb(200, 230, 240));
  for (auto _ : state) {
    canvas.Line(-1e7f, 540.0f - 2.5e6f, 1e7f, 540.0f + 2.5e6f);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_CanvasFarClippedLine);

void BM_CanvasLabel6Digits12pt(benchmark::State& state) {
  RasterCanvas canvas(1920, 1080);
  canvas.SetForeColor(Rgb(200, 230, 240));
  canvas.SetFontSize(12);
  float x = 0;
  for (auto _ : state) {
    canvas.PSet(x, 500.5f);
    canvas.Print({PrintItem::Int32(123456, true)});
    x = x > 1800 ? 0 : x + 97.3f;
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_CanvasLabel6Digits12pt);

}  // namespace
}  // namespace pelmic
