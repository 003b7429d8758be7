// SPDX-License-Identifier: MIT
#include "platform/linux/sdl_dialogs.h"

#include <gtest/gtest.h>

#include "shell/settings_dialog_design.h"

namespace pelmic::linux_desktop {
namespace {

TEST(ButtonCaption, DropsTheAccessKeyMarker) {
  EXPECT_EQ(ButtonCaption("OK(&O)"), "OK");
  EXPECT_EQ(ButtonCaption("プレビュー(&P)"), "プレビュー");
  EXPECT_EQ(ButtonCaption("Cancel"), "Cancel");
  EXPECT_EQ(ButtonCaption("&Save"), "Save");
  // Only a trailing "(&X)" is a marker; other brackets are text.
  EXPECT_EQ(ButtonCaption("Size (&W) x"), "Size (W) x");
}

TEST(SettingsDialogMessage, ShowsTheLabelsFromTopToBottom) {
  EXPECT_EQ(SettingsDialogMessage(shell::kSettingsDialog),
            "Pelmic\n\n設定はありません。\n\n" + std::string(shell::kSettingsDialog.controls[4].text));
}

}  // namespace
}  // namespace pelmic::linux_desktop
