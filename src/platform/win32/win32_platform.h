// SPDX-License-Identifier: MIT
// win32_platform.h - the shell's platform on Windows: single instance, message
// box, settings dialog, saver window, cursor and the screen-saver setting.
#pragma once

#include <windows.h>

#include <memory>

#include "platform/win32/handle_owners.h"
#include "platform/win32/settings_dialog.h"
#include "shell/platform.h"

namespace pelmic::win32 {

class Win32Platform final : public shell::Platform {
 public:
  // Claims the single-instance mutex at once, before any window exists.
  explicit Win32Platform(HINSTANCE instance);
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  bool PreviousInstanceRunning() override { return previousInstanceRunning_; }
  void ShowMessage(std::string_view text, std::string_view caption) override;
  shell::DialogOutcome RunSettingsDialog(const shell::SettingsDialogDesign& design) override;
  std::unique_ptr<shell::SaverWindow> CreateSaverWindow() override;
  std::uint32_t TimerSeed() override;
  void ShowCursor(bool show) override;
  bool ScreenSaverActive() override;
  void SetScreenSaverActive(bool active) override;

 private:
  HINSTANCE instance_;
  UniqueKernelHandle instanceMutex_;  // held until the very end
  bool previousInstanceRunning_ = false;
  // Kept after a preview starts, so that the dialog stays under the saver.
  std::unique_ptr<SettingsDialog> dialog_;
};

}  // namespace pelmic::win32
