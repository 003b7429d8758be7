// SPDX-License-Identifier: MIT
#include "shell/saver_session.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "fake_platform.h"

namespace pelmic::shell {
namespace {

using testing::FakePlatform;
using testing::InputEvent;
using Log = std::vector<std::string>;

// ---- The mouse rule, driven straight through the handlers. ----

class SaverMouseTest : public ::testing::Test {
 protected:
  // Moves the mouse and says whether the saver still runs afterwards.
  bool MoveKeepsRunning(float x, float y) {
    session_.Form_MouseMove(x, y);
    return session_.QuitFlag() == kKeepRunning;
  }

  FakePlatform platform_;
  RandomSource random_;
  SaverSession session_{platform_, random_};
};

TEST(SaverRoundingTest, RoundsHalvesToEvenAndClampsTo16Bits) {
  EXPECT_EQ(RoundHalfEvenToInt16(2.5f), 2);
  EXPECT_EQ(RoundHalfEvenToInt16(3.5f), 4);
  EXPECT_EQ(RoundHalfEvenToInt16(-2.5f), -2);
  EXPECT_EQ(RoundHalfEvenToInt16(0.4f), 0);
  EXPECT_EQ(RoundHalfEvenToInt16(-0.4f), 0);
  EXPECT_EQ(RoundHalfEvenToInt16(99.6f), 100);
  EXPECT_EQ(RoundHalfEvenToInt16(32767.4f), 32767);
  EXPECT_EQ(RoundHalfEvenToInt16(32767.5f), 32767);
  EXPECT_EQ(RoundHalfEvenToInt16(-32768.5f), -32768);
  EXPECT_EQ(RoundHalfEvenToInt16(1e9f), 32767);
  EXPECT_EQ(RoundHalfEvenToInt16(-1e9f), -32768);
  EXPECT_EQ(RoundHalfEvenToInt16(std::numeric_limits<float>::infinity()), 32767);
}

TEST_F(SaverMouseTest, FirstMoveOnlyRecordsThenAnyDifferenceEnds) {
  EXPECT_TRUE(MoveKeepsRunning(640, 480));
  EXPECT_TRUE(MoveKeepsRunning(640, 480));
  EXPECT_FALSE(MoveKeepsRunning(640, 481));
}

TEST_F(SaverMouseTest, OneAxisDifferingEnds) {
  EXPECT_TRUE(MoveKeepsRunning(640, 480));
  EXPECT_FALSE(MoveKeepsRunning(641, 480));
}

TEST_F(SaverMouseTest, SubPixelJitterAroundTheRecordedPairKeepsRunning) {
  EXPECT_TRUE(MoveKeepsRunning(100.4f, 200.4f));  // records (100, 200)
  EXPECT_TRUE(MoveKeepsRunning(99.6f, 199.6f));
  EXPECT_TRUE(MoveKeepsRunning(100.5f, 199.5f));  // halves to even: (100, 200)
  EXPECT_FALSE(MoveKeepsRunning(100.6f, 200.0f));
}

TEST_F(SaverMouseTest, HalvesGoToEvenWhenRecording) {
  EXPECT_TRUE(MoveKeepsRunning(2.5f, 3.5f));  // records (2, 4)
  EXPECT_TRUE(MoveKeepsRunning(2.4f, 4.4f));
  EXPECT_FALSE(MoveKeepsRunning(3.0f, 4.0f));
}

TEST_F(SaverMouseTest, TopLeftCornerCountsAsNothingRecorded) {
  EXPECT_TRUE(MoveKeepsRunning(0.0f, 0.0f));
  EXPECT_TRUE(MoveKeepsRunning(0.4f, -0.3f));
  EXPECT_TRUE(MoveKeepsRunning(5.0f, 6.0f));  // recorded, not a movement
  EXPECT_TRUE(MoveKeepsRunning(5.2f, 6.0f));
  EXPECT_FALSE(MoveKeepsRunning(0.0f, 0.0f));
}

TEST_F(SaverMouseTest, PositionOnAnEdgeIsRecorded) {
  EXPECT_TRUE(MoveKeepsRunning(0.0f, 7.0f));  // only x is zero: a real position
  EXPECT_TRUE(MoveKeepsRunning(0.0f, 7.0f));
  EXPECT_FALSE(MoveKeepsRunning(0.0f, 0.0f));
}

TEST_F(SaverMouseTest, HugeCoordinatesAreClampedNotUndefined) {
  EXPECT_TRUE(MoveKeepsRunning(1e9f, -1e9f));  // records (32767, -32768)
  EXPECT_TRUE(MoveKeepsRunning(1e10f, -1e10f));
  EXPECT_FALSE(MoveKeepsRunning(100.0f, 100.0f));
}

TEST_F(SaverMouseTest, NotANumberIsIgnored) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_TRUE(MoveKeepsRunning(nan, 5.0f));  // not recorded ...
  EXPECT_TRUE(MoveKeepsRunning(10.0f, 10.0f));  // ... so this one is
  EXPECT_TRUE(MoveKeepsRunning(nan, nan));
  EXPECT_FALSE(MoveKeepsRunning(11.0f, 10.0f));
}

TEST_F(SaverMouseTest, NoEventClearsAQuitRequest) {
  EXPECT_TRUE(MoveKeepsRunning(10.0f, 10.0f));
  session_.Form_KeyDown();
  EXPECT_FALSE(MoveKeepsRunning(10.0f, 10.0f));
}

// ---- Whole runs with the real cycle: which input ends it, and how. ----

const Log kExitPath{"Hide(black)", "SetScreenSaverActive(true)", "ShowCursor(true)", "DestroySaverWindow"};

Log Tail(const Log& log, std::size_t n) { return Log(log.end() - static_cast<long>(n), log.end()); }

TEST(SaverSessionTest, KeyClickAndCloseEndTheSaverThroughTheExitPath) {
  for (InputEvent ending : {InputEvent::Key(), InputEvent::Click(), InputEvent::Close()}) {
    SCOPED_TRACE(static_cast<int>(ending.kind));
    FakePlatform platform;
    platform.ScriptIdleYields(3);
    platform.ScriptOnePerYield({ending});
    RunSaver(platform);
    EXPECT_EQ(platform.yields, 4);
    EXPECT_FALSE(platform.Called("ScriptExhausted"));
    ASSERT_GE(platform.log.size(), kExitPath.size());
    EXPECT_EQ(Tail(platform.log, kExitPath.size()), kExitPath);
  }
}

TEST(SaverSessionTest, RestingCursorAndJitterDoNotEndItARealMoveDoes) {
  FakePlatform platform;
  platform.input.push_back({InputEvent::Move(500, 300), InputEvent::Move(500.3f, 299.7f)});
  platform.ScriptOnePerYield({InputEvent::Move(499.6f, 300.4f)});
  platform.ScriptIdleYields(2);
  platform.ScriptOnePerYield({InputEvent::Move(502, 300)});
  RunSaver(platform);
  EXPECT_EQ(platform.yields, 5);
  EXPECT_FALSE(platform.Called("ScriptExhausted"));
}

// ---- Prologue and exit path order, with a scripted cycle. ----

struct CycleSeen {
  float firstRandom = -1.0f;
  ScreenSize screen{};
};

// A cycle that notes what it was handed, then only yields.
CycleStart RecordingCycle(FakePlatform& platform, CycleSeen& seen) {
  return [&platform, &seen](Canvas&, RandomSource& random, ScreenSize screen) -> Steps {
    platform.log.push_back("Cycle");
    seen.firstRandom = random.Rnd();
    seen.screen = screen;
    for (;;) co_yield 0;
  };
}

void RunToTheEnd(SaverSession& session) {
  while (session.Turn()) {
  }
}

Log ExpectedRun(bool previouslyActive) {
  const std::string restore = previouslyActive ? "SetScreenSaverActive(true)" : "SetScreenSaverActive(false)";
  return {"CreateSaverWindow", "Show", "TimerSeed", "ScreenSaverActive", "SetScreenSaverActive(true)",
          "ShowCursor(false)", "Present", "Cycle", "Hide(black)", restore, "ShowCursor(true)",
          "DestroySaverWindow"};
}

TEST(SaverSessionTest, PrologueAndExitPathRunInOrderAndRestoreThePreviousSetting) {
  for (bool previouslyActive : {true, false}) {
    SCOPED_TRACE(previouslyActive);
    FakePlatform platform;
    platform.screenSaverActive = previouslyActive;
    platform.ScriptIdleYields(2);
    platform.ScriptOnePerYield({InputEvent::Close()});
    RandomSource random;
    CycleSeen seen;
    SaverSession session(platform, random, RecordingCycle(platform, seen));
    RunToTheEnd(session);
    EXPECT_EQ(platform.log, ExpectedRun(previouslyActive));
    EXPECT_EQ(platform.yields, 3);
    EXPECT_EQ(platform.screenSaverActive, previouslyActive);
    EXPECT_EQ(platform.cursorCount, 0);
  }
}

TEST(SaverSessionTest, CycleStartsSeededWithACleanFlagAndTheWindowsScreen) {
  FakePlatform platform;
  platform.timerSeed = 4242u;
  platform.screen = {1333, 667};
  RandomSource random(1u);
  CycleSeen seen;
  SaverSession session(platform, random, RecordingCycle(platform, seen));
  session.Form_Click();  // a stale request from before the window was loaded
  session.Turn();
  EXPECT_EQ(session.QuitFlag(), kKeepRunning);
  EXPECT_EQ(seen.firstRandom, RandomSource(4242u).Rnd());
  EXPECT_EQ(seen.screen.widthPx, 1333.0f);
  EXPECT_EQ(seen.screen.heightPx, 667.0);
}

TEST(SaverSessionTest, FailingCycleStillRestoresCursorAndSettingOnce) {
  for (bool previouslyActive : {true, false}) {
    SCOPED_TRACE(previouslyActive);
    FakePlatform platform;
    platform.screenSaverActive = previouslyActive;
    RandomSource random;
    {
      SaverSession session(platform, random, [](Canvas&, RandomSource&, ScreenSize) -> Steps {
        throw std::runtime_error("overflow in the cycle");
        co_return;
      });
      EXPECT_THROW(RunToTheEnd(session), std::runtime_error);
    }
    EXPECT_EQ(platform.Count("ShowCursor(false)"), 1);
    EXPECT_EQ(platform.Count("ShowCursor(true)"), 1);
    EXPECT_EQ(platform.cursorCount, 0);
    EXPECT_EQ(platform.screenSaverActive, previouslyActive);
    EXPECT_EQ(platform.Count("SetScreenSaverActive(true)"), previouslyActive ? 2 : 1);
    EXPECT_EQ(platform.Count("DestroySaverWindow"), 1);
  }
}

}  // namespace
}  // namespace pelmic::shell
