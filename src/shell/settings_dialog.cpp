// SPDX-License-Identifier: MIT
#include "shell/settings_dialog.h"

#include "shell/saver_session.h"

namespace pelmic::shell {

void ShowSettingsDialog(Platform& platform) {
  if (platform.RunSettingsDialog(kSettingsDialog) == DialogOutcome::Preview) {
    RunSaver(platform);
  }
}

}  // namespace pelmic::shell
