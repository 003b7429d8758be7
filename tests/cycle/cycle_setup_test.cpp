// SPDX-License-Identifier: MIT
#include "cycle/cycle_setup.h"

#include <gtest/gtest.h>

#include <deque>
#include <memory>

#include "cycle/recording_canvas.h"
#include "cycle/site_cells.h"

namespace pelmic {
namespace {

constexpr float kJustBelowOne = 1.0f - 1.0f / 16777216.0f;

// Plays the given values first, then carries on with the real generator.
class ScriptedRandom final : public RandomSource {
 public:
  explicit ScriptedRandom(std::deque<float> values) : RandomSource(99), values_(std::move(values)) {}
  float Rnd() override {
    ++draws;
    if (values_.empty()) return RandomSource::Rnd();
    const float v = values_.front();
    values_.pop_front();
    return v;
  }
  int draws = 0;

 private:
  std::deque<float> values_;
};

struct SetupRun {
  std::unique_ptr<testing::RecordingCanvas> canvas;
  std::unique_ptr<CycleState> state;
  int draws;
};

SetupRun RunSetup(std::deque<float> values, float width = 1920, float height = 1080) {
  SetupRun run{std::make_unique<testing::RecordingCanvas>(), std::make_unique<CycleState>(), 0};
  run.state->screen = {width, height};
  ScriptedRandom random(std::move(values));
  RunCycleSetup(*run.canvas, random, *run.state);
  run.draws = random.draws;
  return run;
}

TEST(CycleSetup, ColourIsPaleAndFollowsTheDrawOrder) {
  // Red comes from the first draw, green from the second, blue from the third.
  EXPECT_EQ(RunSetup({0, 0, 0}).state->colour, Rgb(122, 222, 222));
  EXPECT_EQ(RunSetup({kJustBelowOne, kJustBelowOne, kJustBelowOne}).state->colour, Rgb(244, 244, 244));
  EXPECT_EQ(RunSetup({0.5f, 0.25f, 0.75f}).state->colour, Rgb(183, 227, 239));
}

TEST(CycleSetup, DrawsTheScaleBarWithItsTicksAndLabels) {
  const auto run = RunSetup({0, 0, 0, 0.5f, 0.5f, 0});
  const float left = 0.5f * (1920 - 380), y = 0.5f * 150 + 40;
  EXPECT_EQ(run.state->scaleBarLeft, left);
  EXPECT_EQ(run.state->scaleBarY, y);
  const auto& lines = run.canvas->lines;
  ASSERT_GE(lines.size(), 7u);
  auto expectLine = [&](std::size_t n, float x1, float y1, float x2, float y2) {
    EXPECT_EQ(lines[n].x1, x1) << n;
    EXPECT_EQ(lines[n].y1, y1) << n;
    EXPECT_EQ(lines[n].x2, x2) << n;
    EXPECT_EQ(lines[n].y2, y2) << n;
  };
  expectLine(0, left, y, left + 100, y);              // the bar
  expectLine(1, left, y, left, y - 10);               // left tick
  expectLine(2, left, y - 25, left, y - 25);          // move to "0"
  expectLine(3, left + 50, y, left + 50, y - 5);      // middle tick
  expectLine(4, left + 100, y, left + 100, y - 10);   // right tick
  expectLine(5, left + 100, y - 25, left + 100, y - 25);
  expectLine(6, left, y, left, y);                    // move to "N="
  EXPECT_EQ(run.canvas->texts, (std::vector<std::string>{"0", "\n", "100", "\n", "N=", " 4 ", "\n"}));
}

TEST(CycleSetup, PrintsTheCountLargeAndLabelsSmall) {
  const auto run = RunSetup({0, 0, 0, 0, 0, 0});
  std::vector<std::string> sizes;
  for (const auto& entry : run.canvas->log) {
    if (entry.rfind("FontSize", 0) == 0 || entry.rfind("Text N=", 0) == 0) sizes.push_back(entry);
  }
  EXPECT_EQ(sizes, (std::vector<std::string>{"FontSize 12", "FontSize 20", "Text N=", "FontSize 12"}));
}

TEST(CycleSetup, SiteCountRunsFromFourToFortyNine) {
  EXPECT_EQ(RunSetup({0, 0, 0, 0, 0, 0}).state->tables.sites.siteCount, 4);
  EXPECT_EQ(RunSetup({0, 0, 0, 0, 0, kJustBelowOne}).state->tables.sites.siteCount, 49);
  EXPECT_EQ(RunSetup({0, 0, 0, 0, 0, 0.5f}).state->tables.sites.siteCount, 27);
}

TEST(CycleSetup, DrawsSixTimesThenTwicePerSite) {
  const auto run = RunSetup({0, 0, 0, 0, 0, 0.5f});
  EXPECT_EQ(run.draws, 6 + 2 * 27);
}

TEST(CycleSetup, PlacesSitesFromTheDrawsAndCirclesThem) {
  const auto run = RunSetup({0, 0, 0, 0, 0, 0, 0.25f, 0.5f, 0, 0, kJustBelowOne, kJustBelowOne, 0.5f, 0.75f}, 800, 600);
  const SiteTable& sites = run.state->tables.sites;
  EXPECT_EQ(sites.siteX.at(0), 200);
  EXPECT_EQ(sites.siteY.at(0), 300);
  EXPECT_EQ(sites.siteX.at(1), 0);  // a site may lie on the left and top edges
  EXPECT_EQ(sites.siteY.at(1), 0);
  EXPECT_LT(sites.siteX.at(2), 800);  // but never on the right or bottom edge
  EXPECT_LT(sites.siteY.at(2), 600);
  ASSERT_EQ(run.canvas->circles.size(), 4u);
  EXPECT_EQ(run.canvas->circles[0].x, 200);
  EXPECT_EQ(run.canvas->circles[0].radius, 3);
  EXPECT_EQ(run.canvas->circles[0].colour, run.state->colour);
}

TEST(CycleSetup, TheCellsBeginWithTheSiteNearestToEachCorner) {
  // Sites: (200, 300), (0, 0), near (800, 600), (400, 450).
  const auto run = RunSetup({0, 0, 0, 0, 0, 0, 0.25f, 0.5f, 0, 0, kJustBelowOne, kJustBelowOne, 0.5f, 0.75f}, 800, 600);
  BuildAllCells(run.state->tables, run.state->screen);
  const CornerSites& corners = run.state->tables.corners;
  EXPECT_EQ(corners.cornerSiteTL, 1);
  EXPECT_EQ(corners.cornerSiteTR, 2);  // 600 away, against 602 for (400, 450)
  EXPECT_EQ(corners.cornerSiteBL, 0);
  EXPECT_EQ(corners.cornerSiteBR, 2);
}

}  // namespace
}  // namespace pelmic
