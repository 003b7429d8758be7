// SPDX-License-Identifier: MIT
#include "shell/settings_dialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/pelmic_main.h"
#include "fake_platform.h"

namespace pelmic::shell {
namespace {

using testing::FakePlatform;
using testing::InputEvent;
using Log = std::vector<std::string>;

TEST(SettingsDialogTest, OkCancelAndCloseEndWithoutAWindow) {
  for (DialogOutcome outcome : {DialogOutcome::Ok, DialogOutcome::Cancel, DialogOutcome::Closed}) {
    SCOPED_TRACE(static_cast<int>(outcome));
    FakePlatform platform;
    platform.dialogOutcome = outcome;
    EXPECT_EQ(Main("/c", platform), 0);
    EXPECT_EQ(platform.log, (Log{"PreviousInstanceRunning", "RunSettingsDialog(設定)"}));
    EXPECT_EQ(platform.dialogShown, &kSettingsDialog);
  }
}

TEST(SettingsDialogTest, PreviewRunsTheSaverAndTheProgramEndsWithIt) {
  FakePlatform platform;
  platform.dialogOutcome = DialogOutcome::Preview;
  platform.ScriptIdleYields(2);
  platform.ScriptOnePerYield({InputEvent::Click()});
  EXPECT_EQ(Main("", platform), 0);
  ASSERT_GE(platform.log.size(), 3u);
  EXPECT_EQ(platform.log[1], "RunSettingsDialog(設定)");
  EXPECT_EQ(platform.log[2], "CreateSaverWindow");
  EXPECT_EQ(platform.yields, 3);  // the click ended it, not the end of the script
  // The dialog is not shown again once the saver has ended.
  EXPECT_EQ(platform.Count("RunSettingsDialog(設定)"), 1);
  EXPECT_EQ(platform.log.back(), "DestroySaverWindow");
  EXPECT_EQ(platform.cursorCount, 0);
}

}  // namespace
}  // namespace pelmic::shell
