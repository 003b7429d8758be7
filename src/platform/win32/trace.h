// SPDX-License-Identifier: MIT
// trace.h - an optional log of what the program shows and does, for the
// end-to-end tests: with the environment variable PELMIC_TRACE set (to
// anything), the texts of message boxes and dialogs, the dialog's controls
// and outcome, and the saver's events (shown, monitors changed) go to
// standard error, one per line: "pelmic-trace KIND: TEXT". There is no other
// way to read a window's texts back under test without OCR, nor to see when
// it reacted to an event wine gives no other sign of.
#pragma once

#include <string_view>

namespace pelmic::win32 {

void Trace(std::string_view kind, std::string_view text);

}  // namespace pelmic::win32
