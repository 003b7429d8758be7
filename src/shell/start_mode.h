// SPDX-License-Identifier: MIT
// start_mode.h - which part of the program a command line asks for.
//
// Screen-saver hosts pass a switch such as "/s", "/c:1234" or "/p 1234";
// only its first two characters count, upper-cased.
//
//   StartModeOf("/c:1234") == StartMode::Settings
//   StartModeOf("/S 5")    == StartMode::Saver
#pragma once

#include <string>
#include <string_view>

namespace pelmic::shell {

enum class StartMode {
  PasswordMessage,  // "/A": passwords are not supported, say so
  Settings,         // "/C" or nothing at all: the settings dialog
  Preview,          // "/P": the host's small preview pane, which we leave empty
  Saver,            // anything else, "/S" included
};

// The first two characters of a UTF-8 command line (all of it when shorter),
// ASCII letters upper-cased. A multi-byte character is never split.
std::string StartModePrefix(std::string_view commandLine);

StartMode StartModeOf(std::string_view commandLine);

}  // namespace pelmic::shell
