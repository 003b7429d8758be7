// SPDX-License-Identifier: MIT
#include "platform/win32/window_text.h"

namespace pelmic::win32 {

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

std::wstring ClassNameOf(HWND window) {
  wchar_t name[64] = {};
  return std::wstring(name, static_cast<std::size_t>(GetClassNameW(window, name, 64)));
}

}  // namespace pelmic::win32
