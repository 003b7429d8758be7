// SPDX-License-Identifier: MIT
// saver_window.h - the full-screen saver window of the Win32 front end.
//
// A borderless top-most popup over the primary monitor showing a RasterCanvas
// through a DIB section of the same size, with a black cover window over every
// other monitor. PumpEvents empties the thread's message queue (PeekMessage:
// it never waits) and hands input to the shell's handlers, input on the
// covers included; a message that reaches the window procedure outside it
// (from inside another Win32 call) never touches the shell or the cycle. A
// monitor connected while the saver runs is covered too (should its cover
// fail, PumpEvents throws, as the constructor would); when the primary
// monitor changes (it was disconnected, or its size changed) the saver ends,
// as if asked to close. Windows gives no frame signal here: the shell paces
// presents by its clock.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "canvas/raster_canvas.h"
#include "platform/win32/back_buffer.h"
#include "platform/win32/cover_windows.h"
#include "platform/win32/handle_owners.h"
#include "platform/win32/owner_window_proc.h"
#include "shell/monitor_covers.h"
#include "shell/platform.h"

namespace pelmic::win32 {

class Win32SaverWindow final : public shell::SaverWindow {
 public:
  // `covered`: the other monitors' areas, in virtual-screen pixels. Throws
  // std::runtime_error, having released whatever it made.
  Win32SaverWindow(HINSTANCE instance, int widthPx, int heightPx, const std::vector<shell::ScreenRect>& covered);
  Win32SaverWindow(const Win32SaverWindow&) = delete;
  Win32SaverWindow& operator=(const Win32SaverWindow&) = delete;

  void Show() override;
  void Hide() override;
  RasterCanvas& Surface() override { return canvas_; }
  void PumpEvents(shell::SaverInput& input) override;
  // Copies the area from the canvas into the DIB and blits it to the window.
  void Present(const DirtyRect& area) override;

 private:
  template <typename Owner>
  friend LRESULT CALLBACK OwnerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  static void RegisterWindowClass(HINSTANCE instance);
  void RequestClose();
  // After WM_DISPLAYCHANGE: covers for the monitors there are now.
  void FollowMonitors();
  void Paint();

  RasterCanvas canvas_;
  CoverWindows covers_;  // made before the saver window, which so stays above them
  BackBuffer backBuffer_;
  UniqueWindow window_;  // set on WM_NCCREATE, inside the constructor
  // Set only while PumpEvents dispatches, so input reaches the handlers there alone.
  shell::SaverInput* input_ = nullptr;
  bool closePending_ = false;
  shell::CoverFailure coverFailure_;  // a monitor's cover that could not be made ends the saver
};

}  // namespace pelmic::win32
