// SPDX-License-Identifier: MIT
// command_line.h - the part of the process command line that the shell reads.
#pragma once

#include <string_view>

namespace pelmic::win32 {

// What follows the program name: the name is skipped the way
// CommandLineToArgvW reads the first argument (a quoted name ends at its
// closing quote, an unquoted one at the first blank or tab), then the one blank
// or tab that separates it from the rest. Everything after that is returned
// untouched, further blanks, quotes and all, since the start mode is read from
// the first two characters as given: "pelmic.scr  /c" (two blanks) is " /c",
// which starts the saver.
//
//   ArgumentsAfterProgramName(L"\"C:\\My Savers\\pelmic.scr\" /c:1234") == L"/c:1234"
std::wstring_view ArgumentsAfterProgramName(std::wstring_view commandLine);

}  // namespace pelmic::win32
