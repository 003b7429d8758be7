// SPDX-License-Identifier: MIT
#include "shell/saver_session.h"

#include <cmath>
#include <limits>
#include <utility>

namespace pelmic::shell {

namespace {

// What the saver changes outside its own window, held for exactly as long as
// the saver runs: the screen-saver-active setting (on) and one step of the
// cursor display count (hidden). The destructor is the window's unload, so
// every way out - the user's input or an error in the cycle - puts both back.
class SystemStateGuard {
 public:
  explicit SystemStateGuard(Platform& platform)
      : platform_(platform), previouslyActive_(platform.ScreenSaverActive()) {
    platform_.SetScreenSaverActive(true);
    platform_.ShowCursor(false);
  }
  // Restores the value found at start rather than forcing "off": forcing it
  // would leave the user's screen saver disabled for the rest of the session.
  ~SystemStateGuard() {
    platform_.SetScreenSaverActive(previouslyActive_);
    platform_.ShowCursor(true);
  }
  SystemStateGuard(const SystemStateGuard&) = delete;
  SystemStateGuard& operator=(const SystemStateGuard&) = delete;

 private:
  Platform& platform_;
  bool previouslyActive_;
};

}  // namespace

void DefaultCycleRunner(Canvas& canvas, Host& host, RandomSource& random, ScreenSize screen) {
  RunDiagramCycles(canvas, host, random, screen);
}

ScreenSize MeasureScreen(const Canvas& canvas) {
  // Single-precision division, as the screen object reports single-precision twips.
  constexpr float kTwipsPerPixelF = 15.0f;
  return {canvas.ScreenWidthTwips() / kTwipsPerPixelF,
          static_cast<double>(canvas.ScreenHeightTwips() / kTwipsPerPixelF)};
}

std::int16_t RoundToPixel(float coordinate) {
  constexpr double kMin = std::numeric_limits<std::int16_t>::min();
  constexpr double kMax = std::numeric_limits<std::int16_t>::max();
  // nearbyint under the default rounding mode sends halves to the even neighbour.
  const double rounded = std::nearbyint(static_cast<double>(coordinate));
  if (rounded <= kMin) return std::numeric_limits<std::int16_t>::min();
  if (rounded >= kMax) return std::numeric_limits<std::int16_t>::max();
  return static_cast<std::int16_t>(rounded);
}

SaverSession::SaverSession(Platform& platform, RandomSource& random, CycleRunner runCycles)
    : platform_(platform), random_(random), runCycles_(std::move(runCycles)) {}

void SaverSession::Run() {
  window_ = platform_.CreateSaverWindow();
  window_->Show();
  random_.Randomize(platform_.TimerSeed());
  Canvas& surface = window_->Surface();
  const ScreenSize screen = MeasureScreen(surface);
  quitFlag_ = kKeepRunning;
  firstMouseX_ = 0;
  firstMouseY_ = 0;
  {
    SystemStateGuard systemState(platform_);
    window_->Refresh();
    runCycles_(surface, *this, random_, screen);
    // The exit path: the cycle returns only once it has seen the quit flag.
    surface.Cls();
    window_->Hide();
  }
  window_.reset();
}

void SaverSession::DoEvents() {
  if (window_) window_->DoEvents(*this);
}

void SaverSession::Form_MouseMove(float x, float y) {
  // A position that is not a number says nothing about a movement.
  if (std::isnan(x) || std::isnan(y)) return;
  const std::int16_t pixelX = RoundToPixel(x);
  const std::int16_t pixelY = RoundToPixel(y);
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
  session.Run();
}

}  // namespace pelmic::shell
