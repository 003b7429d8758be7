// command_line.h - the part of the process command line that the shell reads.
#pragma once

#include <string_view>

namespace pelmic::win32 {

// What follows the program name: the name is skipped the way
// CommandLineToArgvW reads the first argument (a quoted name ends at the next
// quote, an unquoted one at the first blank or tab), then the blanks and tabs
// after it. The rest is returned untouched, quotes and all.
//
//   ArgumentsAfterProgramName(L"\"C:\\My Savers\\pelmic.scr\" /c:1234") == L"/c:1234"
std::wstring_view ArgumentsAfterProgramName(std::wstring_view commandLine);

}  // namespace pelmic::win32
