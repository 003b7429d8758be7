// SPDX-License-Identifier: MIT
// platform.h - what the saver shell needs from a desktop platform.
//
// The shell (start-up mode choice, saver window lifecycle, input rules,
// settings dialog behaviour) is written against these two interfaces only, so
// that it runs in unit tests with a fake platform. Each folder under
// src/platform/ implements them for one desktop (Win32, SDL on Linux).
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "cycle/canvas.h"
#include "shell/settings_dialog_design.h"

namespace pelmic::shell {

// The saver window's input handlers. The platform calls them from inside
// SaverWindow::DoEvents only, never from another thread.
class SaverInput {
 public:
  virtual ~SaverInput() = default;
  virtual void Form_KeyDown() = 0;  // any key, Shift or Ctrl alone included
  virtual void Form_Click() = 0;    // any mouse button down
  // Pointer position in window pixels; the platform reports every motion event.
  virtual void Form_MouseMove(float x, float y) = 0;
  // The window was asked to close (window manager, end of session).
  virtual void CloseRequested() = 0;
  // True once a handler has asked the saver to end: nothing drawn after that
  // is ever seen, so the window need not present it.
  virtual bool Ending() const { return false; }
};

// The full-screen saver window. Created hidden; black; borderless; covering the
// primary screen; its client area shows the canvas's pixels.
class SaverWindow {
 public:
  virtual ~SaverWindow() = default;
  virtual void Show() = 0;
  virtual void Hide() = 0;
  // Presents what has been drawn so far, now.
  virtual void Refresh() = 0;
  // The drawing surface, sized to the screen.
  virtual Canvas& Surface() = 0;
  // Runs all pending window events, calling the handlers of `input`, and
  // presents what was drawn since the last present (as often as is useful).
  virtual void DoEvents(SaverInput& input) = 0;
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
