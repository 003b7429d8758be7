// SPDX-License-Identifier: MIT
// platform.h - what the saver shell needs from a desktop platform.
//
// The shell (start-up mode choice, saver window lifecycle, input rules,
// settings dialog behaviour) is written against these interfaces only, so
// that it runs in unit tests with a fake platform. Each folder under
// src/platform/ implements them for one front end: Win32, the Linux desktop
// (X11 through SDL, a daemon's X window, Wayland), the web page.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "canvas/raster_canvas.h"
#include "shell/settings_dialog_design.h"

namespace pelmic::shell {

// The saver window's input handlers. The platform calls them from inside
// SaverWindow::PumpEvents only, never from another thread.
class SaverInput {
 public:
  virtual ~SaverInput() = default;
  virtual void Form_KeyDown() = 0;  // any key, Shift or Ctrl alone included
  virtual void Form_Click() = 0;    // any mouse button down
  // Pointer position in window pixels; the platform reports every motion event.
  virtual void Form_MouseMove(float x, float y) = 0;
  // The window was asked to close (window manager, end of session, a stop
  // signal, a daemon's window gone).
  virtual void CloseRequested() = 0;
};

// The full-screen saver window. Created hidden; black; borderless; covering the
// primary screen; its client area shows the canvas's pixels. The shell's loop
// drives it (saver_session.h): it supplies its events, its present and, where
// it has one, its frame signal; when to present is the shell's rule
// (present_rule.h).
class SaverWindow {
 public:
  virtual ~SaverWindow() = default;
  virtual void Show() = 0;
  virtual void Hide() = 0;
  // The drawing surface, sized to the screen. A window whose screen lost
  // what it showed marks the canvas changed (MarkChanged), so that the next
  // present shows it all again.
  virtual RasterCanvas& Surface() = 0;
  // Runs the window's pending events, calling the handlers of `input`, and
  // returns; it never waits for an event.
  virtual void PumpEvents(SaverInput& input) = 0;
  // Puts `area` of the canvas on the screen, now; nothing for an empty one.
  virtual void Present(const DirtyRect& area) = 0;
  // Whether the screen tells when it can take a frame (a buffer the
  // compositor let go, the browser's next animation frame), and whether it
  // can now. A window without such a signal is paced by the shell's clock.
  virtual bool HasFrameSignal() const { return false; }
  virtual bool FrameReady() { return true; }
};

enum class DialogOutcome { Ok, Cancel, Closed, Preview };

class Platform {
 public:
  virtual ~Platform() = default;

  // True when another copy of the program is running. The first call claims
  // the program's single-instance token for this process.
  virtual bool PreviousInstanceRunning() = 0;

  // A message box with one OK button, no icon; returns when it is closed.
  virtual void ShowMessage(std::string_view text, std::string_view caption) = 0;

  // Shows the settings dialog and returns when one of its buttons is pressed or
  // it is closed. On Preview the dialog may stay visible under the saver.
  virtual DialogOutcome RunSettingsDialog(const SettingsDialogDesign& design) = 0;

  virtual std::unique_ptr<SaverWindow> CreateSaverWindow() = 0;

  // A seed taken from the system timer.
  virtual std::uint32_t TimerSeed() = 0;

  // Hides (false) or shows (true) the mouse cursor, one step of the display count.
  virtual void ShowCursor(bool show) = 0;

  // The system's screen-saver-active setting.
  virtual bool ScreenSaverActive() = 0;
  virtual void SetScreenSaverActive(bool active) = 0;
};

}  // namespace pelmic::shell
