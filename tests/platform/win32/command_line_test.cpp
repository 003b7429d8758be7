#include "platform/win32/command_line.h"

#include <gtest/gtest.h>

#include "platform/win32/wide_text.h"

namespace pelmic::win32 {
namespace {

TEST(ArgumentsAfterProgramName, SkipsTheProgramNameAndTheBlanksAfterIt) {
  EXPECT_EQ(ArgumentsAfterProgramName(L"pelmic.scr /s"), L"/s");
  EXPECT_EQ(ArgumentsAfterProgramName(L"pelmic.scr \t /c:1234"), L"/c:1234");
  EXPECT_EQ(ArgumentsAfterProgramName(L"C:\\Windows\\pelmic.scr /p 4711"), L"/p 4711");
}

TEST(ArgumentsAfterProgramName, AQuotedNameEndsAtTheClosingQuoteEvenWithBlanksInside) {
  EXPECT_EQ(ArgumentsAfterProgramName(L"\"C:\\My Savers\\pelmic.scr\" /S"), L"/S");
  // Nothing separates the name from the argument; the argument is still found.
  EXPECT_EQ(ArgumentsAfterProgramName(L"\"C:\\x\\pelmic.scr\"/a"), L"/a");
  // Backslashes before the closing quote of the name escape nothing.
  EXPECT_EQ(ArgumentsAfterProgramName(L"\"C:\\dir\\\" /c"), L"/c");
}

TEST(ArgumentsAfterProgramName, EmptyWhenThereAreNoArguments) {
  EXPECT_EQ(ArgumentsAfterProgramName(L""), L"");
  EXPECT_EQ(ArgumentsAfterProgramName(L"pelmic.scr"), L"");
  EXPECT_EQ(ArgumentsAfterProgramName(L"pelmic.scr   "), L"");
  EXPECT_EQ(ArgumentsAfterProgramName(L"\"C:\\a b\\pelmic.scr"), L"");  // unterminated quote
}

TEST(ArgumentsAfterProgramName, KeepsTheRestRaw) {
  EXPECT_EQ(ArgumentsAfterProgramName(L"pelmic.scr \"/s\"  x  "), L"\"/s\"  x  ");
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
