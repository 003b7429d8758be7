// SPDX-License-Identifier: MIT
#include "shell/monitor_covers.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace pelmic::shell {
namespace {

constexpr ScreenRect kPrimary{0, 0, 1920, 1080};

TEST(CoverRects, EveryMonitorButThePrimaryWhereverItStands) {
  // Left of the primary (negative coordinates), right of it, above it, and a
  // smaller one below: each is covered, in the order the system lists them.
  const ScreenRect left{-1280, 0, 0, 1024};
  const ScreenRect right{1920, -200, 3840, 880};
  const ScreenRect above{0, -768, 1024, 0};
  const ScreenRect below{500, 1080, 1300, 1680};
  const std::vector<MonitorRect> monitors{
      {left, false}, {kPrimary, true}, {right, false}, {above, false}, {below, false}};
  EXPECT_EQ(CoverRects(monitors), (std::vector<ScreenRect>{left, right, above, below}));
}

TEST(CoverRects, NothingToCoverBesideThePrimaryOrAClone) {
  EXPECT_TRUE(CoverRects({}).empty());
  EXPECT_TRUE(CoverRects({{kPrimary, true}}).empty());
  // Cloned displays report the primary's area, or a part of it.
  EXPECT_TRUE(CoverRects({{kPrimary, true}, {kPrimary, false}, {{0, 0, 1280, 720}, false}}).empty());
  // No area at all.
  EXPECT_TRUE(CoverRects({{kPrimary, true}, {{1920, 0, 1920, 1080}, false}}).empty());
}

TEST(CoverRects, AMonitorThatOverlapsThePrimaryOnlyInPartIsCoveredOnceWhole) {
  const ScreenRect overlapping{1000, 0, 2920, 1080};
  EXPECT_EQ(CoverRects({{kPrimary, true}, {overlapping, false}, {overlapping, false}}),
            (std::vector<ScreenRect>{overlapping}));
}

// Monitors changed while the saver runs: a cover no longer wanted goes, one
// still wanted is kept as it is, a missing one is asked for once.
TEST(FollowCoverRects, KeepsWhatIsStillWantedAndAsksOnlyForWhatIsMissing) {
  const ScreenRect gone{-1280, 0, 0, 1024}, kept{1920, 0, 3840, 1080}, added{0, 1080, 1920, 2160};
  std::vector<ScreenRect> covers{gone, kept}, asked;
  FollowCoverRects(covers, {kept, added}, [](const ScreenRect& cover) { return cover; },
                   [&](const ScreenRect& area) {
                     asked.push_back(area);
                     covers.push_back(area);
                   });
  EXPECT_EQ(covers, (std::vector<ScreenRect>{kept, added}));
  EXPECT_EQ(asked, std::vector<ScreenRect>{added});
}

// A cover that cannot be made ends the saver: the error leaves the rule,
// or, kept where nothing may escape, the next PumpEvents, once.
TEST(FollowCoverRects, ACoverThatCannotBeMadeEndsTheSaver) {
  const ScreenRect gone{-1280, 0, 0, 1024}, kept{1920, 0, 3840, 1080}, added{0, 1080, 1920, 2160};
  std::vector<ScreenRect> covers{gone, kept};
  const auto follow = [&] {
    FollowCoverRects(covers, {kept, added}, [](const ScreenRect& cover) { return cover; },
                     [](const ScreenRect&) { throw std::runtime_error("refused"); });
  };
  EXPECT_THROW(follow(), std::runtime_error);
  EXPECT_EQ(covers, std::vector<ScreenRect>{kept});
  CoverFailure failure;
  failure.Keep(follow);
  EXPECT_THROW(failure.Raise(), std::runtime_error);
  EXPECT_NO_THROW(failure.Raise());
}

}  // namespace
}  // namespace pelmic::shell
