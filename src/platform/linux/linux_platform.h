// SPDX-License-Identifier: MIT
// linux_platform.h - the saver shell's platform on a Linux desktop, via SDL2.
//
// SDL's video subsystem is started only when the saver window needs it, so
// "/P" and a second copy end at once without touching the display. On
// Wayland the full-screen saver's windows are our own (wayland_saver_window.h)
// and SDL's video is not started at all.
//
// Embedded in a daemon's window the platform leaves alone what the daemon
// owns: no single-instance token (a daemon runs one copy per monitor), no
// cursor hiding, no screen-saver setting.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/linux/embedded/embedded_window.h"
#include "platform/linux/handle_owners.h"
#include "platform/linux/single_instance.h"
#include "shell/platform.h"

namespace pelmic::linux_desktop {

class LinuxPlatform final : public shell::Platform {
 public:
  // With `embedded`, the saver draws into that window, which outlives the
  // platform; without, into windows of its own.
  explicit LinuxPlatform(EmbeddedWindow* embedded = nullptr) : embedded_(embedded) {}
  ~LinuxPlatform() override;
  LinuxPlatform(const LinuxPlatform&) = delete;
  LinuxPlatform& operator=(const LinuxPlatform&) = delete;

  bool PreviousInstanceRunning() override;
  void ShowMessage(std::string_view text, std::string_view caption) override;
  shell::DialogOutcome RunSettingsDialog(const shell::SettingsDialogDesign& design) override;
  std::unique_ptr<shell::SaverWindow> CreateSaverWindow() override;
  std::uint32_t TimerSeed() override;
  void ShowCursor(bool show) override;
  bool ScreenSaverActive() override;
  void SetScreenSaverActive(bool active) override;

 private:
  // Starts SDL's video subsystem once; throws std::runtime_error on failure.
  void EnsureVideo();

  EmbeddedWindow* embedded_;
  SingleInstanceToken instanceToken_;
  std::optional<VideoSubsystem> video_;
  // The cursor is visible while this is >= 0, like the system's display count.
  int cursorCount_ = 0;
};

}  // namespace pelmic::linux_desktop
