// SPDX-License-Identifier: MIT
// settings_dialog.h - the settings dialog as a plain top-level window with
// child controls laid out from the design's twips, driven by its own message
// loop with IsDialogMessage for Tab and the access keys.
#pragma once

#include <windows.h>

#include <optional>

#include "platform/win32/handle_owners.h"
#include "platform/win32/owner_window_proc.h"
#include "shell/platform.h"

namespace pelmic::win32 {

class SettingsDialog {
 public:
  // Throws std::runtime_error, having destroyed whatever it made.
  SettingsDialog(HINSTANCE instance, const shell::SettingsDialogDesign& design);
  SettingsDialog(const SettingsDialog&) = delete;
  SettingsDialog& operator=(const SettingsDialog&) = delete;

  // Shows the dialog and returns once a button is pressed or it is closed.
  // The window stays on the screen until the object is destroyed, so that a
  // preview runs above it.
  shell::DialogOutcome Run();

 private:
  template <typename Owner>
  friend LRESULT CALLBACK OwnerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void CreateControls(HINSTANCE instance);
  void TraceContents() const;
  int ScaledPixels(int twips) const;
  LRESULT DefaultIdOfFocusedButton() const;

  const shell::SettingsDialogDesign& design_;
  UniqueFont font_;  // outlives the window, whose controls use it
  UniqueWindow window_;  // set on WM_NCCREATE; its controls go with it
  int dpi_ = 96;
  std::optional<shell::DialogOutcome> outcome_;
};

}  // namespace pelmic::win32
