// SPDX-License-Identifier: MIT
// The presenter copies exactly what changed, as RGBA, in bands of whole rows.
#include "platform/web/canvas_presenter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace pelmic::web {
namespace {

struct Band {
  int left, top, width, height;
  std::vector<std::uint8_t> rgba;
};

class Recorder {
 public:
  CanvasPresenter::PixelSink Sink() {
    return [this](const std::uint8_t* rgba, int left, int top, int width, int height) {
      bands.push_back({left, top, width, height, std::vector<std::uint8_t>(rgba, rgba + width * height * 4)});
    };
  }
  std::vector<Band> bands;
};

// A present of what changed, as the window makes it; then the rest, band by band.
void PresentSome(CanvasPresenter& presenter, RasterCanvas& canvas) {
  presenter.Present(canvas, canvas.TakeDirtyRect());
}
void PresentAll(CanvasPresenter& presenter, RasterCanvas& canvas) {
  while (canvas.HasChanges()) PresentSome(presenter, canvas);
}

// A canvas whose pixel (x, y) has red x, green y and blue 7, shown once already.
RasterCanvas GradientCanvas(int width, int height) {
  RasterCanvas canvas(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      canvas.SetForeColor(Rgb(x, y, 7));
      canvas.PSet(static_cast<float>(x), static_cast<float>(y));
    }
  }
  canvas.TakeDirtyRect();
  return canvas;
}

void ExpectBandShowsCanvas(const Band& band) {
  for (int row = 0; row < band.height; ++row) {
    for (int column = 0; column < band.width; ++column) {
      const std::uint8_t* p = &band.rgba[static_cast<std::size_t>((row * band.width + column) * 4)];
      ASSERT_EQ(p[0], band.left + column);
      ASSERT_EQ(p[1], band.top + row);
      ASSERT_EQ(p[2], 7);
      ASSERT_EQ(p[3], 255);
    }
  }
}

TEST(CanvasPresenter, CopiesTheChangedRectangleAsRgba) {
  RasterCanvas canvas = GradientCanvas(40, 30);
  Recorder recorder;
  CanvasPresenter presenter(recorder.Sink());
  canvas.SetForeColor(Rgb(200, 100, 50));
  canvas.Line(12, 20, 17, 22);
  PresentSome(presenter, canvas);
  ASSERT_EQ(recorder.bands.size(), 1u);
  const Band& band = recorder.bands[0];
  EXPECT_EQ(band.left, 12);
  EXPECT_EQ(band.top, 20);
  EXPECT_EQ(band.width, 6);
  EXPECT_EQ(band.height, 3);
  // The line's first pixel, then the untouched gradient at the top-right corner.
  EXPECT_EQ(std::vector<std::uint8_t>(band.rgba.begin(), band.rgba.begin() + 4),
            (std::vector<std::uint8_t>{200, 100, 50, 255}));
  EXPECT_EQ(std::vector<std::uint8_t>(band.rgba.begin() + 20, band.rgba.begin() + 24),
            (std::vector<std::uint8_t>{17, 20, 7, 255}));
  EXPECT_FALSE(canvas.HasChanges());
}

TEST(CanvasPresenter, LargeChangesGoOutInBandsOfWholeRows) {
  const struct {
    int bandPixels;
    std::vector<int> bandHeights;
  } cases[] = {
      {100000, {30}},               // all at once
      {400, {10, 10, 10}},          // 400 / 40 columns = 10 rows a band
      {130, {3, 3, 3, 3, 3, 3, 3, 3, 3, 3}},
      {1, std::vector<int>(30, 1)},  // never less than a row
  };
  for (const auto& c : cases) {
    RasterCanvas canvas = GradientCanvas(40, 30);
    Recorder recorder;
    CanvasPresenter presenter(recorder.Sink(), c.bandPixels);
    canvas.Cls();  // the whole canvas, black
    canvas.SetForeColor(Rgb(0, 0, 7));
    canvas.PSet(0, 0);
    std::vector<int> heights;
    int expectedTop = 0;
    PresentSome(presenter, canvas);
    while (true) {
      const Band& band = recorder.bands.back();
      EXPECT_EQ(band.top, expectedTop);
      EXPECT_EQ(band.left, 0);
      EXPECT_EQ(band.width, 40);
      expectedTop += band.height;
      heights.push_back(band.height);
      if (!canvas.HasChanges()) break;
      PresentSome(presenter, canvas);
    }
    EXPECT_EQ(heights, c.bandHeights) << "band of " << c.bandPixels << " pixels";
    EXPECT_EQ(recorder.bands.front().rgba[2], 7);  // the point drawn after the clear
  }
}

TEST(CanvasPresenter, ChangesDuringBandsJoinWhatIsStillToCopy) {
  RasterCanvas canvas = GradientCanvas(40, 30);
  Recorder recorder;
  CanvasPresenter presenter(recorder.Sink(), 200);
  // Points in the gradient's own colours, in columns 5 and 34 of rows 0 .. 28.
  for (int y = 0; y < 30; y += 2) {
    for (int x : {5, 34}) {
      canvas.SetForeColor(Rgb(x, y, 7));
      canvas.PSet(static_cast<float>(x), static_cast<float>(y));
    }
  }
  PresentSome(presenter, canvas);  // 200 / 30 columns: rows 0 .. 5
  canvas.SetForeColor(Rgb(30, 1, 7));
  canvas.PSet(30, 1);  // inside what was just copied: copied again
  PresentAll(presenter, canvas);
  std::vector<int> tops;
  for (const Band& band : recorder.bands) {
    EXPECT_EQ(band.left, 5);
    EXPECT_EQ(band.width, 30);
    ExpectBandShowsCanvas(band);
    tops.push_back(band.top);
  }
  EXPECT_EQ(tops, (std::vector<int>{0, 1, 7, 13, 19, 25}));
  EXPECT_EQ(recorder.bands.back().height, 4);  // up to row 28
  EXPECT_FALSE(canvas.HasChanges());
}

TEST(CanvasPresenter, PixelsKeepTheirPlaceInEveryRowOfAnOffsetRectangle) {
  RasterCanvas canvas = GradientCanvas(64, 48);
  Recorder recorder;
  CanvasPresenter presenter(recorder.Sink(), 23 * 3);
  for (int y = 9; y < 40; ++y) {
    canvas.SetForeColor(Rgb(17, y, 7));
    canvas.PSet(17, static_cast<float>(y));
    canvas.SetForeColor(Rgb(39, y, 7));
    canvas.PSet(39, static_cast<float>(y));
  }
  PresentAll(presenter, canvas);
  for (const Band& band : recorder.bands) {
    EXPECT_EQ(band.left, 17);
    EXPECT_EQ(band.width, 23);
    ExpectBandShowsCanvas(band);
  }
  EXPECT_EQ(recorder.bands.size(), 11u);  // 31 rows, 3 a band
}

TEST(CanvasPresenter, NothingChangedCopiesNothing) {
  RasterCanvas canvas = GradientCanvas(8, 8);
  Recorder recorder;
  CanvasPresenter presenter(recorder.Sink());
  PresentSome(presenter, canvas);
  PresentAll(presenter, canvas);
  EXPECT_TRUE(recorder.bands.empty());
}

}  // namespace
}  // namespace pelmic::web
