// SPDX-License-Identifier: MIT
// window_text.h - a window's text and class name as wide strings.
#pragma once

#include <windows.h>

#include <string>

namespace pelmic::win32 {

std::wstring WindowText(HWND window);
std::wstring ClassNameOf(HWND window);

}  // namespace pelmic::win32
