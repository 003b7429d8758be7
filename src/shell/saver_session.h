// SPDX-License-Identifier: MIT
// saver_session.h - the saver window frmPelmic: its load event (prologue,
// diagram cycle, exit path), its input handlers and its unload.
//
//   RunSaver(platform);  // returns when the user has stopped the saver
//
// The session is the cycle's Host: the cycle yields through DoEvents, which
// runs the window's pending events into the handlers below, and then reads
// QuitFlag. The handlers only set the flag; the cycle returns when it sees it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "cycle/canvas.h"
#include "cycle/diagram_cycle.h"
#include "cycle/host.h"
#include "cycle/random_source.h"
#include "shell/platform.h"

namespace pelmic::shell {

// Runs diagram cycles until the host's quit flag is -1. RunDiagramCycles in
// the saver; tests pass scripted ones.
using CycleRunner = std::function<void(Canvas&, Host&, RandomSource&, ScreenSize)>;

void DefaultCycleRunner(Canvas& canvas, Host& host, RandomSource& random, ScreenSize screen);

// The screen size in pixels as the cycle measures it: twips over a fixed 15,
// in single precision, the height then widened to double.
ScreenSize MeasureScreen(const Canvas& canvas);

// A mouse coordinate rounded to whole pixels, halves to even, clamped to the
// 16-bit range so that wild values from a driver cannot overflow.
std::int16_t RoundToPixel(float coordinate);

class SaverSession final : public Host, public SaverInput {
 public:
  explicit SaverSession(Platform& platform, RandomSource& random,
                        CycleRunner runCycles = DefaultCycleRunner);

  // Form_Load: the whole saver. Returns once the user has stopped it and the
  // window is gone. Exceptions of the cycle propagate after the cursor and the
  // screen-saver setting have been restored.
  void Run();

  // Host
  void DoEvents() override;
  std::int16_t QuitFlag() const override { return quitFlag_; }

  // SaverInput
  void Form_KeyDown() override { quitFlag_ = kQuitRequested; }
  void Form_Click() override { quitFlag_ = kQuitRequested; }
  void Form_MouseMove(float x, float y) override;
  void CloseRequested() override { quitFlag_ = kQuitRequested; }
  bool Ending() const override { return quitFlag_ == kQuitRequested; }

 private:
  Platform& platform_;
  RandomSource& random_;
  CycleRunner runCycles_;
  std::unique_ptr<SaverWindow> window_;
  std::int16_t quitFlag_ = kKeepRunning;
  // The first mouse position; (0, 0) means none recorded yet.
  std::int16_t firstMouseX_ = 0;
  std::int16_t firstMouseY_ = 0;
};

// The saver as the program runs it: a fresh random source and the real cycle.
void RunSaver(Platform& platform);

}  // namespace pelmic::shell
