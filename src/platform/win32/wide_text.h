// SPDX-License-Identifier: MIT
// wide_text.h - UTF-8 <-> UTF-16 for the Win32 API's wide-character calls.
#pragma once

#include <string>
#include <string_view>

namespace pelmic::win32 {

// Invalid sequences become U+FFFD rather than failing: these are texts to show.
std::wstring WideFromUtf8(std::string_view utf8);
std::string Utf8FromWide(std::wstring_view wide);

}  // namespace pelmic::win32
