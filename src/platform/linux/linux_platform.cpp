// SPDX-License-Identifier: MIT
#include "platform/linux/linux_platform.h"

#include <SDL.h>

#include <chrono>

#include "platform/linux/sdl_dialogs.h"
#include "platform/linux/x11/sdl_saver_window.h"
#include "platform/linux/wayland/wayland_saver_window.h"

namespace pelmic::linux_desktop {

LinuxPlatform::~LinuxPlatform() {
  // Gives the system back its screen saver and cursor however we got here.
  video_.reset();
  SDL_Quit();
}

bool LinuxPlatform::PreviousInstanceRunning() {
  if (embedded_ != nullptr) return false;
  return !instanceToken_.Claim(SingleInstanceToken::NameForThisSession());
}

void LinuxPlatform::ShowMessage(std::string_view text, std::string_view caption) { ShowOkMessage(text, caption); }

shell::DialogOutcome LinuxPlatform::RunSettingsDialog(const shell::SettingsDialogDesign& design) {
  return ShowSettingsDialog(design);
}

std::unique_ptr<shell::SaverWindow> LinuxPlatform::CreateSaverWindow() {
  // Wayland without SDL's windows, which would cost some 60 MB of GL.
  if (embedded_ == nullptr) {
    if (std::unique_ptr<shell::SaverWindow> window = WaylandSaverWindow::CoverOutputs()) return window;
  }
  EnsureVideo();
  if (embedded_ != nullptr) return SdlSaverWindow::Embed(*embedded_);
  return SdlSaverWindow::CoverDisplays();
}

std::uint32_t LinuxPlatform::TimerSeed() {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  const auto micros = static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(now).count());
  return static_cast<std::uint32_t>(micros ^ (micros >> 32));
}

void LinuxPlatform::ShowCursor(bool show) {
  if (embedded_ != nullptr) return;
  cursorCount_ += show ? 1 : -1;
  if (video_) SDL_ShowCursor(cursorCount_ >= 0 ? SDL_ENABLE : SDL_DISABLE);
}

// Both are asked only once the saver's window exists. On Wayland SDL's video
// is not started: the program never inhibits the system's idleness there,
// and SDL reports the setting active.
bool LinuxPlatform::ScreenSaverActive() {
  if (embedded_ != nullptr) return true;
  return SDL_IsScreenSaverEnabled() == SDL_TRUE;
}

void LinuxPlatform::SetScreenSaverActive(bool active) {
  if (embedded_ != nullptr) return;
  if (active) {
    SDL_EnableScreenSaver();
  } else {
    SDL_DisableScreenSaver();
  }
}

void LinuxPlatform::EnsureVideo() {
  if (video_) return;
  video_.emplace();
  SDL_EnableScreenSaver();
  if (cursorCount_ < 0) SDL_ShowCursor(SDL_DISABLE);
}

}  // namespace pelmic::linux_desktop
