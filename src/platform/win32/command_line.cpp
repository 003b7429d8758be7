// SPDX-License-Identifier: MIT
#include "platform/win32/command_line.h"

namespace pelmic::win32 {

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// Index just past the program name.
std::size_t EndOfProgramName(std::wstring_view line) {
  if (!line.empty() && line.front() == L'"') {
    const std::size_t closing = line.find(L'"', 1);
    return closing == std::wstring_view::npos ? line.size() : closing + 1;
  }
  std::size_t end = 0;
  while (end < line.size() && !IsBlank(line[end])) ++end;
  return end;
}

}  // namespace

std::wstring_view ArgumentsAfterProgramName(std::wstring_view commandLine) {
  std::size_t start = EndOfProgramName(commandLine);
  if (start < commandLine.size() && IsBlank(commandLine[start])) ++start;
  return commandLine.substr(start);
}

}  // namespace pelmic::win32
