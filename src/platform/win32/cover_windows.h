// SPDX-License-Identifier: MIT
// cover_windows.h - plain black windows over the monitors the saver window
// does not cover, so that none of them keeps showing the desktop.
//
// They belong to the saver: every input they get goes on to the saver window
// (mouse positions in its client coordinates), they show and hide with it, and
// they go when the object goes. They never take the focus. When the monitors
// change while the saver runs, Follow makes them match again.
#pragma once

#include <windows.h>

#include <vector>

#include "platform/win32/handle_owners.h"
#include "shell/monitor_covers.h"

namespace pelmic::win32 {

// Every monitor there is now, in virtual-screen pixels.
std::vector<shell::MonitorRect> Monitors();

class CoverWindows {
 public:
  // Created hidden. Create them before the saver window, so that it stays on
  // top should a monitor overlap the primary. Throws std::runtime_error,
  // having destroyed those already made.
  CoverWindows(HINSTANCE instance, const std::vector<shell::ScreenRect>& areas);

  // The window that gets their input.
  void SetInputTarget(HWND target);
  void Show();
  void Hide();
  // Covers exactly `areas` from now on: windows over areas no longer named
  // go, new areas get one, below the input target and shown if the others
  // are. Throws std::runtime_error when a window cannot be made (the saver
  // then ends: shell::FollowCoverRects), keeping those made.
  void Follow(const std::vector<shell::ScreenRect>& areas);

 private:
  struct Cover {
    shell::ScreenRect area;
    UniqueWindow window;
  };
  // Throws std::runtime_error.
  UniqueWindow Make(const shell::ScreenRect& area);

  HINSTANCE instance_;
  HWND target_ = nullptr;
  bool shown_ = false;
  std::vector<Cover> windows_;
};

}  // namespace pelmic::win32
