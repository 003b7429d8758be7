// SPDX-License-Identifier: MIT
// saver_session.h - the saver window frmPelmic: its load (prologue), the loop
// that drives the diagram cycle, its input handlers, its exit path and its
// unload.
//
//   RunSaver(platform);  // returns when the user has stopped the saver
//
// The framework owns the loop: the cycle runs in steps (cycle/steps.h), and
// each turn of this loop is one of its yields. A turn runs the window's
// pending events into the handlers below, which only set the quit flag;
// polls the flag; presents by the one rule (present_rule.h) unless the saver
// is ending; and resumes the cycle up to its next yield. Nothing waits: not
// for an event, a frame or a timer. A front end that must return to its own
// event loop between turns (the web page) calls Turn itself.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "cycle/canvas.h"
#include "cycle/random_source.h"
#include "cycle/steps.h"
#include "geometry/screen.h"
#include "shell/platform.h"
#include "shell/present_rule.h"

namespace pelmic::shell {

// The quit flag: 0 keep running, -1 stop.
constexpr std::int16_t kKeepRunning = 0;
constexpr std::int16_t kQuitRequested = -1;

// Starts the cycle on the saver's canvas: DiagramCycles in the saver; tests
// pass scripted ones.
using CycleStart = std::function<Steps(Canvas&, RandomSource&, ScreenSize)>;

Steps DefaultCycleStart(Canvas& canvas, RandomSource& random, ScreenSize screen);

// A mouse coordinate rounded to whole pixels, halves to even, clamped to the
// 16-bit range so that wild values from a driver cannot overflow.
std::int16_t RoundHalfEvenToInt16(float coordinate);

class SaverSession final : public SaverInput {
 public:
  explicit SaverSession(Platform& platform, RandomSource& random, CycleStart startCycle = DefaultCycleStart);
  // Whatever way the saver ends, an error included, the system's settings
  // are put back before the window goes.
  ~SaverSession() override;
  SaverSession(const SaverSession&) = delete;
  SaverSession& operator=(const SaverSession&) = delete;

  // One step of the saver. The first is Form_Load's prologue, which shows the
  // window and runs the cycle up to its first yield; each later one is a
  // turn of the loop; the turn that sees the quit flag takes the exit path
  // (clear, hide, unload). False once the saver has ended. Exceptions of the
  // cycle and the window propagate; the session then ends when destroyed.
  bool Turn();

  std::int16_t QuitFlag() const { return quitFlag_; }

  // SaverInput
  void Form_KeyDown() override { quitFlag_ = kQuitRequested; }
  void Form_Click() override { quitFlag_ = kQuitRequested; }
  void Form_MouseMove(float x, float y) override;
  void CloseRequested() override { quitFlag_ = kQuitRequested; }

 private:
  // What the saver changes outside its own window, held for exactly as long
  // as it runs.
  class SystemState;

  void Prologue();
  void ExitPath();

  Platform& platform_;
  RandomSource& random_;
  CycleStart startCycle_;
  enum class Phase { Loaded, Cycling, Ended } phase_ = Phase::Loaded;
  // Destroyed in reverse: the cycle, which draws on the window's canvas,
  // first; then the system state is put back; then the window goes.
  std::unique_ptr<SaverWindow> window_;
  std::unique_ptr<SystemState> systemState_;
  Steps cycle_;
  PresentRule presentRule_;
  std::int16_t quitFlag_ = kKeepRunning;
  // The first mouse position; (0, 0) means none recorded yet.
  std::int16_t firstMouseX_ = 0;
  std::int16_t firstMouseY_ = 0;
};

// The saver as the program runs it: a fresh random source and the real
// cycle, turned until the user stops it.
void RunSaver(Platform& platform);

}  // namespace pelmic::shell
