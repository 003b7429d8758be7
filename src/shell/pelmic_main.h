// SPDX-License-Identifier: MIT
// pelmic_main.h - the program's start-up: one copy at a time, then the mode
// the command line asks for.
//
// Each platform's entry point calls Main with the command line after the
// program name (Windows: the raw text after it, as UTF-8; elsewhere: the
// arguments joined by single blanks) and returns its result as the exit
// status:
//
//   return pelmic::shell::Main(commandLine, platform);
//
// Errors propagate as exceptions; the entry point reports them.
#pragma once

#include <string_view>

#include "shell/platform.h"

namespace pelmic::shell {

int Main(std::string_view commandLine, Platform& platform);

}  // namespace pelmic::shell
