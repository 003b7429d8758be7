// SPDX-License-Identifier: MIT
// trace.h - an optional log of what the program shows, for the end-to-end
// tests: with the environment variable PELMIC_TRACE set (to anything), the
// texts of message boxes and dialogs go to standard error, one per line.
// There is no other way to read them back from a window under test without OCR.
#pragma once

#include <string_view>

namespace pelmic::win32 {

void Trace(std::string_view kind, std::string_view text);

}  // namespace pelmic::win32
