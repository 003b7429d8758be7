// SPDX-License-Identifier: MIT
// web_platform.h - the saver shell's platform on a web page: the saver runs
// in the page's canvas, which the page has put in full screen.
//
// A page has no system settings to change and no other copies to find: the
// screen-saver setting lives in the page for as long as it is open, and every
// tab is a program of its own. While it is on (the saver runs), the page
// keeps the screen from going dark.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "shell/platform.h"

namespace pelmic::web {

class WebPlatform final : public shell::Platform {
 public:
  // The saver window will be screenWidth x screenHeight device pixels.
  WebPlatform(int screenWidth, int screenHeight) : screenWidth_(screenWidth), screenHeight_(screenHeight) {}

  bool PreviousInstanceRunning() override { return false; }
  void ShowMessage(std::string_view text, std::string_view caption) override;
  // The page offers no settings dialog; nothing on it leads here.
  shell::DialogOutcome RunSettingsDialog(const shell::SettingsDialogDesign& design) override;
  std::unique_ptr<shell::SaverWindow> CreateSaverWindow() override;
  std::uint32_t TimerSeed() override;
  void ShowCursor(bool show) override;
  bool ScreenSaverActive() override { return screenSaverActive_; }
  void SetScreenSaverActive(bool active) override;

 private:
  int screenWidth_;
  int screenHeight_;
  // The cursor is visible while this is >= 0, like the system's display count.
  int cursorCount_ = 0;
  bool screenSaverActive_ = false;
};

// A seed from the clock, for pictures nobody asked to reproduce.
std::uint64_t ClockSeed();

}  // namespace pelmic::web
