// SPDX-License-Identifier: MIT
// command_line.h - the Linux command line: where the saver draws (a window
// of its own, or a window that a screen-saver daemon hands it), and the
// switches only Linux has (--help, --version).
//
// Daemons on X11 start their programs with `-root` (which the common one
// rewrites to `--root`) and name their own window in XSCREENSAVER_WINDOW;
// lockers that run a saver module start it with no arguments at all and the
// same variable; minimal lockers pass `-window-id ID`. Either way the program
// draws into that window instead of opening one. An explicit screen-saver
// switch (/S, /C, /P, /A) means what it says whatever the environment holds.
//
//   ParsedArguments parsed = ParseArguments({"--root"}, std::getenv("XSCREENSAVER_WINDOW"));
//   if (!parsed.error.empty()) { /* report, exit 2 */ }
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelmic::linux_desktop {

using X11WindowId = unsigned long;

struct DrawTarget {
  enum class Kind {
    OwnWindow,      // full screen, as the user or the desktop starts it
    ForeignWindow,  // a daemon's window, `window` names it
    RootWindow,     // `-root` outside any daemon: the desktop's root window
  };
  Kind kind = Kind::OwnWindow;
  X11WindowId window = 0;

  bool Embedded() const { return kind != Kind::OwnWindow; }
};

struct ParsedArguments {
  enum class Action { Run, ShowUsage, ShowVersion };
  Action action = Action::Run;
  DrawTarget target;
  // The screen-saver switches, joined by blanks, for the shell's start-up.
  std::string commandLine;
  // Set when the arguments or the environment name no usable window.
  std::string error;
};

// A window id in decimal or 0x hex; X ids fit in 29 bits and are never 0.
std::optional<X11WindowId> ParseWindowId(std::string_view text);

// "0x" and the id in hex, as X tools print window ids.
std::string FormatWindowId(X11WindowId id);

// `-help`/`-h` or `-version` anywhere ask for that alone. Otherwise
// `-window-id ID` wins, then `-root` (the window XSCREENSAVER_WINDOW names
// when it is set, else the root window); with no arguments at all a set
// XSCREENSAVER_WINDOW counts as well. Each switch is accepted with one dash
// or two, and `-window-id=ID` too. `xscreensaverWindow` is the environment
// variable's value, or null when it is not set.
ParsedArguments ParseArguments(const std::vector<std::string>& args, const char* xscreensaverWindow);

}  // namespace pelmic::linux_desktop
