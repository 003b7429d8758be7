// SPDX-License-Identifier: MIT
// sdl_dialogs.h - the program's message box and its settings dialog, both as
// SDL message boxes (SDL draws them itself on X11, so they need no toolkit).
#pragma once

#include <string>
#include <string_view>

#include "shell/platform.h"
#include "shell/settings_dialog_design.h"

namespace pelmic::linux_desktop {

// A message box with one OK button and no icon; returns when it is closed.
// Without a display the text goes to stderr instead, so it is never lost.
void ShowOkMessage(std::string_view text, std::string_view caption);

// The settings dialog: its labels as the message, its buttons in their
// designed left-to-right order; Return means OK and Escape means Cancel.
// Closing the box, or failing to show it, counts as Closed.
shell::DialogOutcome ShowSettingsDialog(const shell::SettingsDialogDesign& design);

// A button text without its access-key marker: "OK(&O)" -> "OK",
// "プレビュー(&P)" -> "プレビュー", "&Save" -> "Save". A message box has no
// access keys, so the marker would only show as clutter.
std::string ButtonCaption(std::string_view designed);

// The dialog's labels from top to bottom, separated by blank lines.
std::string SettingsDialogMessage(const shell::SettingsDialogDesign& design);

}  // namespace pelmic::linux_desktop
