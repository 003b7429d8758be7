// SPDX-License-Identifier: MIT
#include "shell/start_mode.h"

#include <gtest/gtest.h>

#include <string>

namespace pelmic::shell {
namespace {

TEST(StartModeTest, PrefixIsFirstTwoCharactersUpperCased) {
  EXPECT_EQ(StartModePrefix(""), "");
  EXPECT_EQ(StartModePrefix("/"), "/");
  EXPECT_EQ(StartModePrefix("/c:1234"), "/C");
  EXPECT_EQ(StartModePrefix("/S 5"), "/S");
  EXPECT_EQ(StartModePrefix(" /s"), " /");
  EXPECT_EQ(StartModePrefix("ab"), "AB");
  EXPECT_EQ(StartModePrefix("z{"), "Z{");  // only letters change
}

TEST(StartModeTest, PrefixNeverSplitsUtf8Characters) {
  EXPECT_EQ(StartModePrefix("é/s"), "é/");
  EXPECT_EQ(StartModePrefix("日本語"), "日本");
  EXPECT_EQ(StartModePrefix("😀sx"), "😀S");
  EXPECT_EQ(StartModePrefix("/é"), "/é");
}

TEST(StartModeTest, PrefixOfMalformedUtf8StaysInsideTheText) {
  // A lead byte cut short by the end of the text or by an ASCII character.
  EXPECT_EQ(StartModePrefix("\xE3"), "\xE3");
  EXPECT_EQ(StartModePrefix("\xE3\x81"), "\xE3\x81");
  EXPECT_EQ(StartModePrefix("\xC3/s"), "\xC3/");
  // Stray continuation bytes and invalid leads count one byte each.
  EXPECT_EQ(StartModePrefix("\x80\x80/"), "\x80\x80");
  EXPECT_EQ(StartModePrefix("\xFF/c"), "\xFF/");
}

TEST(StartModeTest, CommandLinesChooseTheirMode) {
  const struct {
    std::string commandLine;
    StartMode mode;
  } cases[] = {
      {"", StartMode::Settings},          {"/c", StartMode::Settings},
      {"/C", StartMode::Settings},        {"/c:1234", StartMode::Settings},
      {"/C 1234", StartMode::Settings},   {"/p 1234", StartMode::Preview},
      {"/P", StartMode::Preview},         {"/a", StartMode::PasswordMessage},
      {"/A 1234", StartMode::PasswordMessage},
      {"/s", StartMode::Saver},           {"/S", StartMode::Saver},
      {"/S 5", StartMode::Saver},         {"-s", StartMode::Saver},
      {"x", StartMode::Saver},            {"/", StartMode::Saver},
      {" /s", StartMode::Saver},          {" /c", StartMode::Saver},
      {"é/s", StartMode::Saver},          {"-c", StartMode::Saver},
      {"/cfoo", StartMode::Settings},     {"\xC3", StartMode::Saver},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(StartModeOf(c.commandLine), c.mode) << "command line \"" << c.commandLine << "\"";
  }
}

}  // namespace
}  // namespace pelmic::shell
