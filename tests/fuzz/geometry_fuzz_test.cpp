// Adversarial site sets through the whole per-site work: nothing may crash,
// read out of bounds or produce a non-finite or negative area, and where the
// sites are distinct the cells must still tile the screen.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <numbers>
#include <random>
#include <string>

#include "area/site_cell.h"

namespace pelmic {
namespace {

using Generator = std::function<void(std::mt19937&, ScreenSize, SiteTable&)>;

float Uniform(std::mt19937& rng, double lo, double hi) {
  return static_cast<float>(std::uniform_real_distribution<double>(lo, hi)(rng));
}

float Clamp(float v, double extent) {
  return std::clamp(v, 0.0f, std::nextafter(static_cast<float>(extent), 0.0f));
}

void Add(SiteTable& sites, float x, float y, ScreenSize screen) {
  sites.siteX.at(sites.siteCount) = Clamp(x, screen.widthPx);
  sites.siteY.at(sites.siteCount) = Clamp(y, screen.heightPx);
  ++sites.siteCount;
}

int Count(std::mt19937& rng) { return std::uniform_int_distribution<int>(kMinSites, kMaxSites)(rng); }

// Sites a hair off one straight line.
void NearlyCollinear(std::mt19937& rng, ScreenSize screen, SiteTable& sites) {
  const double angle = Uniform(rng, 0, std::numbers::pi);
  const double cx = screen.widthPx / 2.0, cy = screen.heightPx / 2.0;
  for (int n = Count(rng); n > 0; --n) {
    const double t = Uniform(rng, -400, 400), off = Uniform(rng, -1e-3, 1e-3);
    Add(sites, static_cast<float>(cx + t * std::cos(angle) - off * std::sin(angle)),
        static_cast<float>(cy + t * std::sin(angle) + off * std::cos(angle)), screen);
  }
}

// Sites a hair off one circle, so that many bisectors nearly meet at its centre.
void NearlyCocircular(std::mt19937& rng, ScreenSize screen, SiteTable& sites) {
  const double cx = Uniform(rng, 100, screen.widthPx - 100), cy = Uniform(rng, 100, screen.heightPx - 100);
  const double r = Uniform(rng, 5, 90);
  for (int n = Count(rng); n > 0; --n) {
    const double a = Uniform(rng, 0, 2 * std::numbers::pi), rr = r + Uniform(rng, -1e-4, 1e-4);
    Add(sites, static_cast<float>(cx + rr * std::cos(a)), static_cast<float>(cy + rr * std::sin(a)), screen);
  }
}

// Whole-pixel sites on a coarse grid, duplicates included.
void GridWithDuplicates(std::mt19937& rng, ScreenSize screen, SiteTable& sites) {
  const int step = std::uniform_int_distribution<int>(1, 50)(rng);
  for (int n = Count(rng); n > 0; --n) {
    Add(sites, static_cast<float>(step * std::uniform_int_distribution<int>(0, 8)(rng)),
        static_cast<float>(step * std::uniform_int_distribution<int>(0, 8)(rng)), screen);
  }
}

// Sites on and right beside the borders and corners.
void OnTheBorders(std::mt19937& rng, ScreenSize screen, SiteTable& sites) {
  for (int n = Count(rng); n > 0; --n) {
    const bool vertical = rng() % 2;
    const float along = Uniform(rng, 0, vertical ? screen.heightPx : screen.widthPx);
    const float edge = (rng() % 2) ? 0.0f : Uniform(rng, 0, 1e-3);
    Add(sites, vertical ? edge : along, vertical ? along : edge, screen);
  }
}

void Clustered(std::mt19937& rng, ScreenSize screen, SiteTable& sites) {
  const float cx = Uniform(rng, 0, screen.widthPx), cy = Uniform(rng, 0, screen.heightPx);
  for (int n = Count(rng); n > 0; --n) Add(sites, cx + Uniform(rng, -0.01, 0.01), cy + Uniform(rng, -0.01, 0.01), screen);
}

bool AllDistinct(const SiteTable& sites) {
  for (int a = 0; a < sites.siteCount; ++a) {
    for (int b = a + 1; b < sites.siteCount; ++b) {
      if (sites.siteX.at(a) == sites.siteX.at(b) && sites.siteY.at(a) == sites.siteY.at(b)) return false;
    }
  }
  return true;
}

int Rounds() {
  const char* env = std::getenv("PELMIC_FUZZ_ROUNDS");
  return env ? std::atoi(env) : 300;
}

void FuzzWith(const std::string& name, const Generator& generate, double tilingTolerance) {
  const ScreenSize screens[] = {{1920, 1080}, {800, 600}, {381, 200}, {64, 48}};
  auto tables = std::make_unique<DiagramTables>();
  for (int round = 0; round < Rounds(); ++round) {
    std::mt19937 rng(static_cast<unsigned>(round) * 7919u + static_cast<unsigned>(name.size()));
    const ScreenSize screen = screens[round % std::size(screens)];
    tables->sites.siteCount = 0;
    generate(rng, screen, tables->sites);
    BuildAllCells(*tables, screen);
    double total = 0;
    for (int row = 0; row < tables->sites.siteCount; ++row) {
      const double area = tables->cellArea.at(row);
      ASSERT_TRUE(std::isfinite(area) && area >= 0) << name << " round " << round << " site " << row + 1;
      total += area;
    }
    if (AllDistinct(tables->sites)) {
      const double screenArea = double{screen.widthPx} * screen.heightPx;
      EXPECT_NEAR(total, screenArea, tilingTolerance * screenArea) << name << " round " << round;
    }
  }
}

TEST(GeometryFuzz, NearlyCollinearSites) { FuzzWith("collinear", NearlyCollinear, 1e-6); }
TEST(GeometryFuzz, NearlyCocircularSites) { FuzzWith("cocircular", NearlyCocircular, 1e-6); }
TEST(GeometryFuzz, GridSitesWithDuplicates) { FuzzWith("grid", GridWithDuplicates, 1e-9); }
TEST(GeometryFuzz, SitesOnTheBorders) { FuzzWith("borders", OnTheBorders, 1e-6); }
TEST(GeometryFuzz, ClusteredSites) { FuzzWith("clustered", Clustered, 1e-6); }

}  // namespace
}  // namespace pelmic
