// SPDX-License-Identifier: MIT
#include "platform/win32/win32_platform.h"

#include "platform/win32/cover_windows.h"
#include "platform/win32/saver_window.h"
#include "platform/win32/trace.h"
#include "platform/win32/wide_text.h"
#include "shell/monitor_covers.h"

namespace pelmic::win32 {

namespace {

// Per session: each signed-in user may run the saver in their own session.
constexpr wchar_t kInstanceMutexName[] = L"Local\\Pelmic.ScreenSaver.SingleInstance";

}  // namespace

Win32Platform::Win32Platform(HINSTANCE instance)
    : instance_(instance), instanceMutex_(CreateMutexW(nullptr, FALSE, kInstanceMutexName)) {
  const DWORD error = GetLastError();
  // Access denied means the mutex exists under another security context.
  previousInstanceRunning_ = error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED;
}

void Win32Platform::ShowMessage(std::string_view text, std::string_view caption) {
  Trace("message", text);
  // MB_OK alone: one button, no icon.
  MessageBoxW(nullptr, WideFromUtf8(text).c_str(), WideFromUtf8(caption).c_str(), MB_OK | MB_SETFOREGROUND);
}

shell::DialogOutcome Win32Platform::RunSettingsDialog(const shell::SettingsDialogDesign& design) {
  dialog_ = std::make_unique<SettingsDialog>(instance_, design);
  const shell::DialogOutcome outcome = dialog_->Run();
  if (outcome != shell::DialogOutcome::Preview) dialog_.reset();
  return outcome;
}

std::unique_ptr<shell::SaverWindow> Win32Platform::CreateSaverWindow() {
  // The primary monitor in physical pixels: the manifest makes the process
  // DPI aware, so the system does not scale these.
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  // The diagram stays on the primary monitor; the others are covered in black.
  return std::make_unique<Win32SaverWindow>(instance_, width, height, shell::CoverRects(Monitors()));
}

std::uint32_t Win32Platform::TimerSeed() {
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  const auto ticks = static_cast<std::uint64_t>(counter.QuadPart) ^ GetTickCount64();
  return static_cast<std::uint32_t>(ticks ^ (ticks >> 32));
}

void Win32Platform::ShowCursor(bool show) { ::ShowCursor(show ? TRUE : FALSE); }

bool Win32Platform::ScreenSaverActive() {
  BOOL active = FALSE;
  SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
  return active != FALSE;
}

void Win32Platform::SetScreenSaverActive(bool active) {
  // fWinIni 0: neither written to the user profile nor broadcast.
  SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, active ? TRUE : FALSE, nullptr, 0);
}

}  // namespace pelmic::win32
