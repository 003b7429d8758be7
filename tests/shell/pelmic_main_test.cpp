// SPDX-License-Identifier: MIT
#include "shell/pelmic_main.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_platform.h"

namespace pelmic::shell {
namespace {

using testing::FakePlatform;
using testing::InputEvent;
using Log = std::vector<std::string>;

const std::string kMessageCall =
    "ShowMessage(" + std::string(kPasswordMessage) + "," + std::string(kAppTitle) + ")";

// What a run did, told by the platform calls it made.
enum class Observed { EndedAtOnce, Message, Dialog, Saver };

Observed ObservedMode(const FakePlatform& platform) {
  if (platform.Called("CreateSaverWindow")) return Observed::Saver;
  if (platform.Called("RunSettingsDialog(設定)")) return Observed::Dialog;
  if (platform.Called(kMessageCall)) return Observed::Message;
  return Observed::EndedAtOnce;
}

TEST(ShellMainTest, EveryCommandLineRunsItsMode) {
  const struct {
    std::string commandLine;
    Observed mode;
  } cases[] = {
      {"", Observed::Dialog},         {"/c:1234", Observed::Dialog}, {"/C", Observed::Dialog},
      {"/p 1234", Observed::EndedAtOnce}, {"/a", Observed::Message}, {"/A 1234", Observed::Message},
      {"/s", Observed::Saver},        {"/S", Observed::Saver},       {"/S 5", Observed::Saver},
      {"-s", Observed::Saver},        {"x", Observed::Saver},        {"/", Observed::Saver},
      {" /s", Observed::Saver},       {"é/s", Observed::Saver},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("command line \"" + c.commandLine + "\"");
    FakePlatform platform;
    platform.dialogOutcome = DialogOutcome::Cancel;
    platform.ScriptOnePerYield({InputEvent::Key()});
    EXPECT_EQ(Main(c.commandLine, platform), 0);
    EXPECT_EQ(ObservedMode(platform), c.mode);
    EXPECT_FALSE(platform.Called("ScriptExhausted"));  // a saver ended by the key press
  }
}

TEST(ShellMainTest, PasswordSwitchShowsOnlyTheMessage) {
  FakePlatform platform;
  EXPECT_EQ(Main("/A 1234", platform), 0);
  EXPECT_EQ(platform.log, (Log{"PreviousInstanceRunning", kMessageCall}));
}

TEST(ShellMainTest, PreviewPaneSwitchEndsWithoutAnything) {
  FakePlatform platform;
  EXPECT_EQ(Main("/p 1234", platform), 0);
  EXPECT_EQ(platform.log, (Log{"PreviousInstanceRunning"}));
}

TEST(ShellMainTest, SecondInstanceEndsSilentlyInEveryMode) {
  for (const char* commandLine : {"", "/c", "/a", "/p 1234", "/s", "x"}) {
    SCOPED_TRACE(commandLine);
    FakePlatform platform;
    platform.previousInstanceRunning = true;
    platform.dialogOutcome = DialogOutcome::Preview;
    EXPECT_EQ(Main(commandLine, platform), 0);
    EXPECT_EQ(platform.log, (Log{"PreviousInstanceRunning"}));
  }
}

// End to end with the real diagram cycle: it keeps yielding while nothing
// happens and ends at the yield that delivers the key press.
TEST(ShellMainTest, SaverRunsTheCycleUntilAKeyAndPutsEverythingBack) {
  FakePlatform platform;
  platform.screenSaverActive = false;
  platform.ScriptIdleYields(5);
  platform.ScriptOnePerYield({InputEvent::Key()});
  EXPECT_EQ(Main("/s", platform), 0);
  EXPECT_EQ(platform.yields, 6);
  EXPECT_FALSE(platform.Called("ScriptExhausted"));
  EXPECT_EQ(platform.cursorCount, 0);
  EXPECT_FALSE(platform.screenSaverActive);
  EXPECT_EQ(platform.log.back(), "DestroySaverWindow");
}

}  // namespace
}  // namespace pelmic::shell
