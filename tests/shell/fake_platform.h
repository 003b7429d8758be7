// SPDX-License-Identifier: MIT
// fake_platform.h - a scripted Platform for the shell tests.
//
// Every call the shell makes is written to `log` in order ("Show",
// "ShowCursor(false)", "SetScreenSaverActive(true)", ...). Answers come from
// the public fields. The saver window's DoEvents replays `input` one batch per
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

#include "cycle/canvas.h"
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

class FakeCanvas final : public Canvas {
 public:
  FakeCanvas(std::vector<std::string>& log, float widthTwips, float heightTwips)
      : log_(log), widthTwips_(widthTwips), heightTwips_(heightTwips) {}

  void Line(float, float, float, float) override { ++drawCalls; }
  void Circle(float, float, float) override { ++drawCalls; }
  void PSet(float, float) override { ++drawCalls; }
  void Cls() override { log_.push_back("Cls"); }
  void SetForeColor(ColourValue colour) override { foreColor_ = colour; }
  ColourValue ForeColor() const override { return foreColor_; }
  void SetFontSize(int) override {}
  float ScreenWidthTwips() const override { return widthTwips_; }
  float ScreenHeightTwips() const override { return heightTwips_; }

  int drawCalls = 0;

 protected:
  void DrawText(std::string_view) override { ++drawCalls; }
  void EndOfLine() override {}

 private:
  std::vector<std::string>& log_;
  float widthTwips_;
  float heightTwips_;
  ColourValue foreColor_ = 0;
};

struct FakeScreen {
  float widthTwips = 1920.0f * 15.0f;
  float heightTwips = 1080.0f * 15.0f;
};

class FakeSaverWindow final : public SaverWindow {
 public:
  FakeSaverWindow(std::vector<std::string>& log, std::deque<InputBatch>& input, int& yields,
                  FakeScreen screen)
      : log_(log), input_(input), yields_(yields), canvas_(log, screen.widthTwips, screen.heightTwips) {}
  ~FakeSaverWindow() override { log_.push_back("DestroySaverWindow"); }

  void Show() override { log_.push_back("Show"); }
  void Hide() override { log_.push_back("Hide"); }
  void Refresh() override { log_.push_back("Refresh"); }
  Canvas& Surface() override { return canvas_; }

  void DoEvents(SaverInput& input) override {
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

  std::vector<std::string>& log_;
  std::deque<InputBatch>& input_;
  int& yields_;
  FakeCanvas canvas_;
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
  int yields = 0;           // DoEvents calls of the saver window
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
