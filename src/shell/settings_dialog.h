// SPDX-License-Identifier: MIT
// settings_dialog.h - frmPelmic2, the settings dialog: there are no settings,
// so it only offers a preview of the saver.
#pragma once

#include "shell/platform.h"

namespace pelmic::shell {

// Shows the dialog until it is closed. OK, Cancel and the close box end the
// program; Preview runs the saver over the full screen, and when the user
// stops it the whole program ends - the dialog does not come back.
void ShowSettingsDialog(Platform& platform);

}  // namespace pelmic::shell
