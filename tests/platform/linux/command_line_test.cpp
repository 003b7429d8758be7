// SPDX-License-Identifier: MIT
#include "platform/linux/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pelmic::linux_desktop {
namespace {

using Kind = DrawTarget::Kind;

TEST(WindowId, DecimalAndHexWithinXsIdRange) {
  EXPECT_EQ(ParseWindowId("4194310"), 4194310u);
  EXPECT_EQ(ParseWindowId("0x400006"), 0x400006u);
  EXPECT_EQ(ParseWindowId("0X1fffffff"), 0x1FFFFFFFu);
  for (const char* bad : {"", "0", "0x", "0x0", "-5", "+5", "12abc", "0x12g", " 12", "12 ", "0x20000000",
                          "99999999999999999999999", "abc"}) {
    EXPECT_FALSE(ParseWindowId(bad).has_value()) << bad;
  }
}

struct Case {
  std::vector<std::string> args;
  const char* environment;
  Kind kind;
  X11WindowId window;
  std::string commandLine;
};

TEST(DrawTargetArguments, WhereTheSaverDraws) {
  const Case cases[] = {
      {{"/S"}, nullptr, Kind::OwnWindow, 0, "/S"},
      {{"/c:1234"}, "", Kind::OwnWindow, 0, "/c:1234"},
      {{}, nullptr, Kind::OwnWindow, 0, ""},
      {{"/p", "1234"}, nullptr, Kind::OwnWindow, 0, "/p 1234"},
      // The common daemon: --root, and its window in the environment.
      {{"--root"}, "0x200004", Kind::ForeignWindow, 0x200004, ""},
      {{"-root"}, "2097156", Kind::ForeignWindow, 2097156, ""},
      {{}, "0x200004", Kind::ForeignWindow, 0x200004, ""},
      {{"-root"}, nullptr, Kind::RootWindow, 0, ""},
      // A screen-saver switch means what it says, whatever the environment.
      {{"/p"}, "0x200004", Kind::OwnWindow, 0, "/p"},
      {{"/s"}, "0x200004", Kind::OwnWindow, 0, "/s"},
      {{"/c:77"}, "0x200004", Kind::OwnWindow, 0, "/c:77"},
      {{"/a"}, "junk", Kind::OwnWindow, 0, "/a"},
      {{"/S", "--root"}, "0x200004", Kind::ForeignWindow, 0x200004, "/S"},
      // An explicit window wins over the environment.
      {{"-window-id", "0x400001"}, "0x200004", Kind::ForeignWindow, 0x400001, ""},
      {{"--window-id", "77"}, nullptr, Kind::ForeignWindow, 77, ""},
      {{"--window-id=0x4d", "-root"}, nullptr, Kind::ForeignWindow, 77, ""},
      {{"/s", "-window-id", "5"}, nullptr, Kind::ForeignWindow, 5, "/s"},
  };
  for (const Case& c : cases) {
    const ParsedArguments parsed = ParseArguments(c.args, c.environment);
    const std::string label = ::testing::PrintToString(c.args);
    EXPECT_TRUE(parsed.error.empty()) << label << ": " << parsed.error;
    EXPECT_EQ(parsed.target.kind, c.kind) << label;
    EXPECT_EQ(parsed.target.window, c.window) << label;
    EXPECT_EQ(parsed.commandLine, c.commandLine) << label;
  }
}

TEST(DrawTargetArguments, HelpAndVersionAskForThatAlone) {
  using Action = ParsedArguments::Action;
  const struct {
    std::vector<std::string> args;
    Action action;
  } cases[] = {
      {{"--help"}, Action::ShowUsage},          {{"-h"}, Action::ShowUsage},
      {{"-help", "/s"}, Action::ShowUsage},     {{"--root", "--h"}, Action::ShowUsage},
      {{"--version"}, Action::ShowVersion},     {{"/c", "-version"}, Action::ShowVersion},
      {{"--version", "--help"}, Action::ShowUsage}, {{"--version", "-window-id", "x"}, Action::ShowVersion},
      {{"/h"}, Action::Run},                    {{"help"}, Action::Run},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseArguments(c.args, "junk").action, c.action) << ::testing::PrintToString(c.args);
  }
}

TEST(DrawTargetArguments, BadWindowIdsAreErrorsNamingTheirSource) {
  const std::string longId(5000, '7');
  const struct {
    std::vector<std::string> args;
    const char* environment;
    std::string mentions;
  } cases[] = {
      {{"-window-id", "abc"}, nullptr, "-window-id: \"abc\""},
      {{"--window-id", "0"}, nullptr, "\"0\""},
      {{"-window-id"}, nullptr, "needs a window id"},
      {{"--window-id="}, nullptr, "\"\""},
      {{"--root"}, "junk", "XSCREENSAVER_WINDOW: \"junk\""},
      {{}, "0x", "XSCREENSAVER_WINDOW"},
      // Shown escaped and cut short: neither can drive or flood the terminal.
      {{"-window-id", "\x1B]0;x\x07\x9B"}, nullptr, "-window-id: \"\\x1B]0;x\\x07\\x9B\" is not"},
      {{"--root"}, longId.c_str(), "XSCREENSAVER_WINDOW: \"" + std::string(40, '7') + "...\" is not"},
  };
  for (const auto& c : cases) {
    const ParsedArguments parsed = ParseArguments(c.args, c.environment);
    EXPECT_NE(parsed.error.find(c.mentions), std::string::npos)
        << ::testing::PrintToString(c.args) << " gave: " << parsed.error;
  }
}

}  // namespace
}  // namespace pelmic::linux_desktop
