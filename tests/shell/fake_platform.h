// SPDX-License-Identifier: MIT
// fake_platform.h - a scripted Platform for the shell tests.
//
// Every call the shell makes is written to `log` in order ("Show",
// "ShowCursor(false)", "SetScreenSaverActive(true)", ...). Answers come from
// the public fields. The saver window's PumpEvents replays `input` one batch per
// call; once the script is used up it asks the window to close and logs
// "ScriptExhausted", so a saver that wrongly keeps running still ends.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "shell/platform.h"

namespace pelmic::shell::testing {

struct InputEvent {
  enum class Kind { Key, Click, Move, Close };
  Kind kind;
  float x = 0.0f;
  float y = 0.0f;

  static InputEvent Key() { return {Kind::Key}; }
  static InputEvent Click() { return {Kind::Click}; }
  static InputEvent Move(float x, float y) { return {Kind::Move, x, y}; }
  static InputEvent Close() { return {Kind::Close}; }
};

// The events that are pending at one yield.
using InputBatch = std::vector<InputEvent>;

struct FakeScreen {
  int width = 64;
  int height = 48;
};

class FakeSaverWindow final : public SaverWindow {
 public:
  FakeSaverWindow(std::vector<std::string>& log, std::deque<InputBatch>& input, int& yields, FakeScreen screen)
      : log_(log), input_(input), yields_(yields), canvas_(screen.width, screen.height) {}
  ~FakeSaverWindow() override { log_.push_back("DestroySaverWindow"); }

  void Show() override { log_.push_back("Show"); }
  // Says whether the canvas was black by then: the exit path clears it first.
  void Hide() override { log_.push_back(Black() ? "Hide(black)" : "Hide(drawn)"); }
  RasterCanvas& Surface() override { return canvas_; }
  void Present(const DirtyRect& area) override {
    if (!area.Empty()) log_.push_back("Present");
  }

  void PumpEvents(SaverInput& input) override {
    ++yields_;
    if (input_.empty()) {
      log_.push_back("ScriptExhausted");
      input.CloseRequested();
      return;
    }
    const InputBatch batch = input_.front();
    input_.pop_front();
    for (const InputEvent& event : batch) Deliver(event, input);
  }

 private:
  static void Deliver(const InputEvent& event, SaverInput& input) {
    switch (event.kind) {
      case InputEvent::Kind::Key: input.Form_KeyDown(); break;
      case InputEvent::Kind::Click: input.Form_Click(); break;
      case InputEvent::Kind::Move: input.Form_MouseMove(event.x, event.y); break;
      case InputEvent::Kind::Close: input.CloseRequested(); break;
    }
  }
  bool Black() const {
    for (int y = 0; y < canvas_.Height(); ++y) {
      for (int x = 0; x < canvas_.Width(); ++x) {
        if (canvas_.PixelAt(x, y) != 0) return false;
      }
    }
    return true;
  }

  std::vector<std::string>& log_;
  std::deque<InputBatch>& input_;
  int& yields_;
  RasterCanvas canvas_;
};

class FakePlatform final : public Platform {
 public:
  // Scripted answers.
  bool previousInstanceRunning = false;
  DialogOutcome dialogOutcome = DialogOutcome::Ok;
  bool screenSaverActive = true;
  std::uint32_t timerSeed = 20260101u;
  FakeScreen screen;
  std::deque<InputBatch> input;

  // What happened.
  std::vector<std::string> log;
  int yields = 0;           // PumpEvents calls of the saver window: one per yield
  int cursorCount = 0;      // the display count: below 0 means hidden
  const SettingsDialogDesign* dialogShown = nullptr;

  bool PreviousInstanceRunning() override {
    log.push_back("PreviousInstanceRunning");
    return previousInstanceRunning;
  }
  void ShowMessage(std::string_view text, std::string_view caption) override {
    log.push_back("ShowMessage(" + std::string(text) + "," + std::string(caption) + ")");
  }
  DialogOutcome RunSettingsDialog(const SettingsDialogDesign& design) override {
    log.push_back("RunSettingsDialog(" + std::string(design.caption) + ")");
    dialogShown = &design;
    return dialogOutcome;
  }
  std::unique_ptr<SaverWindow> CreateSaverWindow() override {
    log.push_back("CreateSaverWindow");
    return std::make_unique<FakeSaverWindow>(log, input, yields, screen);
  }
  std::uint32_t TimerSeed() override {
    log.push_back("TimerSeed");
    return timerSeed;
  }
  void ShowCursor(bool show) override {
    log.push_back(show ? "ShowCursor(true)" : "ShowCursor(false)");
    cursorCount += show ? 1 : -1;
  }
  bool ScreenSaverActive() override {
    log.push_back("ScreenSaverActive");
    return screenSaverActive;
  }
  void SetScreenSaverActive(bool active) override {
    log.push_back(active ? "SetScreenSaverActive(true)" : "SetScreenSaverActive(false)");
    screenSaverActive = active;
  }

  // Each event in a batch of its own: one per yield.
  void ScriptOnePerYield(std::initializer_list<InputEvent> events) {
    for (const InputEvent& event : events) input.push_back({event});
  }
  // A yield with nothing pending.
  void ScriptIdleYields(int count) {
    for (int i = 0; i < count; ++i) input.push_back({});
  }

  int Count(std::string_view call) const {
    int n = 0;
    for (const std::string& entry : log) n += entry == call ? 1 : 0;
    return n;
  }
  bool Called(std::string_view call) const { return Count(call) > 0; }
};

}  // namespace pelmic::shell::testing
