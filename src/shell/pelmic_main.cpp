// SPDX-License-Identifier: MIT
#include "shell/pelmic_main.h"

#include "shell/saver_session.h"
#include "shell/settings_dialog.h"
#include "shell/start_mode.h"

namespace pelmic::shell {

int Main(std::string_view commandLine, Platform& platform) {
  // Checked before the command line is read, so a second copy ends silently
  // whatever it was asked to do.
  if (platform.PreviousInstanceRunning()) return 0;

  switch (StartModeOf(commandLine)) {
    case StartMode::PasswordMessage:
      platform.ShowMessage(kPasswordMessage, kAppTitle);
      break;
    case StartMode::Settings:
      ShowSettingsDialog(platform);
      break;
    case StartMode::Preview:
      // The host's preview pane stays empty.
      break;
    case StartMode::Saver:
      RunSaver(platform);
      break;
  }
  return 0;
}

}  // namespace pelmic::shell
