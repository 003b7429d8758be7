// SPDX-License-Identifier: MIT
#include "shell/saver_session.h"

#include <cmath>
#include <limits>
#include <utility>

#include "cycle/diagram_cycle.h"

namespace pelmic::shell {

// The screen-saver-active setting (on) and one step of the cursor display
// count (hidden). The destructor is the window's unload, so every way out -
// the user's input or an error in the cycle - puts both back.
class SaverSession::SystemState {
 public:
  explicit SystemState(Platform& platform) : platform_(platform), previouslyActive_(platform.ScreenSaverActive()) {
    platform_.SetScreenSaverActive(true);
    platform_.ShowCursor(false);
  }
  // Restores the value found at start rather than forcing "off": forcing it
  // would leave the user's screen saver disabled for the rest of the session.
  ~SystemState() {
    platform_.SetScreenSaverActive(previouslyActive_);
    platform_.ShowCursor(true);
  }
  SystemState(const SystemState&) = delete;
  SystemState& operator=(const SystemState&) = delete;

 private:
  Platform& platform_;
  bool previouslyActive_;
};

Steps DefaultCycleStart(Canvas& canvas, RandomSource& random, ScreenSize screen) {
  return DiagramCycles(canvas, random, screen);
}

std::int16_t RoundHalfEvenToInt16(float coordinate) {
  constexpr double kMin = std::numeric_limits<std::int16_t>::min();
  constexpr double kMax = std::numeric_limits<std::int16_t>::max();
  // nearbyint under the default rounding mode sends halves to the even neighbour.
  const double rounded = std::nearbyint(static_cast<double>(coordinate));
  if (rounded <= kMin) return std::numeric_limits<std::int16_t>::min();
  if (rounded >= kMax) return std::numeric_limits<std::int16_t>::max();
  return static_cast<std::int16_t>(rounded);
}

SaverSession::SaverSession(Platform& platform, RandomSource& random, CycleStart startCycle)
    : platform_(platform), random_(random), startCycle_(std::move(startCycle)) {}

SaverSession::~SaverSession() = default;

bool SaverSession::Turn() {
  switch (phase_) {
    case Phase::Loaded:
      Prologue();
      return true;
    case Phase::Ended:
      return false;
    case Phase::Cycling:
      break;
  }
  window_->PumpEvents(*this);
  if (quitFlag_ == kQuitRequested) {
    ExitPath();
    return false;
  }
  presentRule_.AfterEvents(*window_);
  cycle_.Resume();
  return true;
}

void SaverSession::Prologue() {
  window_ = platform_.CreateSaverWindow();
  window_->Show();
  random_.Randomize(platform_.TimerSeed());
  RasterCanvas& surface = window_->Surface();
  const ScreenSize screen = ScreenSize::OfPixels(surface.Width(), surface.Height());
  quitFlag_ = kKeepRunning;
  firstMouseX_ = 0;
  firstMouseY_ = 0;
  systemState_ = std::make_unique<SystemState>(platform_);
  presentRule_.PresentNow(*window_);
  phase_ = Phase::Cycling;
  cycle_ = startCycle_(surface, random_, screen);
  cycle_.Resume();
}

void SaverSession::ExitPath() {
  phase_ = Phase::Ended;
  cycle_ = {};
  window_->Surface().Cls();
  window_->Hide();
  systemState_.reset();
  window_.reset();
}

void SaverSession::Form_MouseMove(float x, float y) {
  // A position that is not a number says nothing about a movement.
  if (std::isnan(x) || std::isnan(y)) return;
  const std::int16_t pixelX = RoundHalfEvenToInt16(x);
  const std::int16_t pixelY = RoundHalfEvenToInt16(y);
  // The move event that arrives under a resting cursor when the window appears
  // is only recorded; (0, 0) doubles as "nothing recorded yet".
  if (firstMouseX_ == 0 && firstMouseY_ == 0) {
    firstMouseX_ = pixelX;
    firstMouseY_ = pixelY;
    return;
  }
  if (pixelX != firstMouseX_ || pixelY != firstMouseY_) quitFlag_ = kQuitRequested;
}

void RunSaver(Platform& platform) {
  RandomSource random;
  SaverSession session(platform, random);
  while (session.Turn()) {
  }
}

}  // namespace pelmic::shell
