// SPDX-License-Identifier: MIT
#include "platform/win32/command_line.h"

#include <gtest/gtest.h>

#include "platform/win32/wide_text.h"
#include "shell/start_mode.h"

namespace pelmic::win32 {
namespace {

TEST(ArgumentsAfterProgramName, SkipsTheProgramNameAndTheOneSeparatorAfterIt) {
  EXPECT_EQ(ArgumentsAfterProgramName(L"pelmic.scr /s"), L"/s");
  EXPECT_EQ(ArgumentsAfterProgramName(L"pelmic.scr\t/c:1234"), L"/c:1234");
  EXPECT_EQ(ArgumentsAfterProgramName(L"C:\\Windows\\pelmic.scr /p 4711"), L"/p 4711");
  EXPECT_EQ(ArgumentsAfterProgramName(L"\"C:\\My Savers\\pelmic.scr\" /S"), L"/S");
  EXPECT_EQ(ArgumentsAfterProgramName(L"\"C:\\My Savers\\pelmic.scr\"\t/a"), L"/a");
}

TEST(ArgumentsAfterProgramName, BlanksBeyondTheOneSeparatorBelongToTheArguments) {
  // Quoted and unquoted names alike: whatever follows the separator is the
  // command line the start mode reads, so an extra blank or tab in front of a
  // switch makes its first two characters " /" or "\t/", which start the saver.
  const std::wstring_view lines[] = {
      L"pelmic.scr  /c",
      L"pelmic.scr \t/c",
      L"pelmic.scr\t\t/c",
      L"C:\\Windows\\pelmic.scr  /c:1234",
      L"\"C:\\My Savers\\pelmic.scr\"  /c",
      L"\"C:\\My Savers\\pelmic.scr\" \t/c",
  };
  for (const std::wstring_view line : lines) {
    const std::wstring_view arguments = ArgumentsAfterProgramName(line);
    ASSERT_GE(arguments.size(), 3u) << Utf8FromWide(line);
    EXPECT_TRUE(arguments[0] == L' ' || arguments[0] == L'\t') << Utf8FromWide(line);
    EXPECT_EQ(arguments.substr(1, 2), L"/c") << Utf8FromWide(line);
    EXPECT_EQ(shell::StartModeOf(Utf8FromWide(arguments)), shell::StartMode::Saver) << Utf8FromWide(line);
  }
  EXPECT_EQ(ArgumentsAfterProgramName(L"pelmic.scr  /c"), L" /c");
  EXPECT_EQ(ArgumentsAfterProgramName(L"pelmic.scr \"/s\"  x  "), L"\"/s\"  x  ");
}

TEST(ArgumentsAfterProgramName, AQuotedNameEndsAtTheClosingQuoteEvenWithBlanksInside) {
  // Nothing separates the name from the argument; the argument is still found.
  EXPECT_EQ(ArgumentsAfterProgramName(L"\"C:\\x\\pelmic.scr\"/a"), L"/a");
  // Backslashes before the closing quote of the name escape nothing.
  EXPECT_EQ(ArgumentsAfterProgramName(L"\"C:\\dir\\\" /c"), L"/c");
}

TEST(ArgumentsAfterProgramName, EmptyWhenNothingFollowsTheNameAndItsSeparator) {
  EXPECT_EQ(ArgumentsAfterProgramName(L""), L"");
  EXPECT_EQ(ArgumentsAfterProgramName(L"pelmic.scr"), L"");
  EXPECT_EQ(ArgumentsAfterProgramName(L"pelmic.scr "), L"");
  EXPECT_EQ(ArgumentsAfterProgramName(L"\"C:\\My Savers\\pelmic.scr\" "), L"");
  EXPECT_EQ(ArgumentsAfterProgramName(L"\"C:\\a b\\pelmic.scr"), L"");  // unterminated quote
  EXPECT_EQ(shell::StartModeOf(Utf8FromWide(ArgumentsAfterProgramName(L"\"C:\\a b\\pelmic.scr\" "))),
            shell::StartMode::Settings);
}

TEST(WideText, RoundTripsJapaneseTextThroughUtf16) {
  const std::string message = "パスワードには対応していませんm(_ _)m";
  const std::wstring wide = WideFromUtf8(message);
  EXPECT_EQ(wide.size(), 22u);
  EXPECT_EQ(wide.front(), L'\u30D1');
  EXPECT_EQ(Utf8FromWide(wide), message);
  EXPECT_EQ(Utf8FromWide(L"\U0001F600"), "\xF0\x9F\x98\x80");  // a surrogate pair
  EXPECT_EQ(WideFromUtf8(""), L"");
}

TEST(WideText, BrokenInputBecomesReplacementCharacters) {
  EXPECT_EQ(Utf8FromWide(std::wstring(1, static_cast<wchar_t>(0xD800))), "\xEF\xBF\xBD");
  EXPECT_EQ(WideFromUtf8("a\xFF"), L"a\uFFFD");
}

}  // namespace
}  // namespace pelmic::win32
