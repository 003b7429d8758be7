// cover_windows.h - plain black windows over the monitors the saver window
// does not cover, so that none of them keeps showing the desktop.
//
// They belong to the saver: every input they get goes on to the saver window
// (mouse positions in its client coordinates), they show and hide with it, and
// they go when the object goes. They never take the focus.
#pragma once

#include <windows.h>

#include <vector>

#include "platform/win32/handle_owners.h"
#include "shell/monitor_covers.h"

namespace pelmic::win32 {

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

 private:
  std::vector<UniqueWindow> windows_;
};

}  // namespace pelmic::win32
