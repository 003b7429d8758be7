// SPDX-License-Identifier: MIT
#include "platform/web/web_platform.h"

#include <chrono>
#include <stdexcept>
#include <string>

#include "platform/web/browser.h"
#include "platform/web/browser_window.h"

namespace pelmic::web {

void WebPlatform::ShowMessage(std::string_view text, std::string_view caption) {
  browser::Alert(std::string(caption) + "\n\n" + std::string(text));
}

shell::DialogOutcome WebPlatform::RunSettingsDialog(const shell::SettingsDialogDesign&) {
  throw std::logic_error("the page has no settings dialog");
}

std::unique_ptr<shell::SaverWindow> WebPlatform::CreateSaverWindow() {
  return std::make_unique<BrowserWindow>(screenWidth_, screenHeight_);
}

void WebPlatform::SetScreenSaverActive(bool active) {
  screenSaverActive_ = active;
  browser::KeepScreenOn(active);
}

std::uint32_t WebPlatform::TimerSeed() { return static_cast<std::uint32_t>(ClockSeed()); }

void WebPlatform::ShowCursor(bool show) {
  cursorCount_ += show ? 1 : -1;
  browser::SetCursorHidden(cursorCount_ < 0);
}

std::uint64_t ClockSeed() {
  return static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
}

}  // namespace pelmic::web
