// SPDX-License-Identifier: MIT
// termination_signal.h - SIGTERM and SIGINT as a request to end the program.
//
// Daemons end their saver programs with SIGTERM, often milliseconds after
// starting them when the user comes straight back; the program must then end
// the way a key press ends it: what it changed put back, status 0. From the
// moment main installs the handlers a signal is never lost: it is recorded,
// and the program acts on it at the next point that looks (before the saver
// starts, before its window shows, in a wait for the compositor, at every
// yield of the cycle). It also wins over a failure it raced with, such as a
// daemon's window destroyed as the signal was sent: status 0 all the same.
//
// A dialog cannot look: it waits inside a message box (drawn by a child
// process that SDL forks, or by zenity). While one shows nothing outside the
// process has been changed, so a signal ends the program at once with status
// 0, and the dialog's process ends with it.
//
//   InstallTerminationHandlers();            // first thing in main
//   if (TerminationRequested()) ...          // wherever the program can stop
//   { ExitOnSignalScope dialog; ShowTheDialog(); }
#pragma once

#include <chrono>

namespace pelmic::linux_desktop {

void InstallTerminationHandlers();

// True once SIGTERM or SIGINT has arrived.
bool TerminationRequested();
// True once one has arrived, waiting for it up to `wait`.
bool TerminationRequestedWithin(std::chrono::milliseconds wait);

// While one exists a signal ends the program at once with status 0, and so
// does one that arrived before it. Children forked meanwhile end when the
// program ends.
class ExitOnSignalScope {
 public:
  ExitOnSignalScope();
  ~ExitOnSignalScope();
  ExitOnSignalScope(const ExitOnSignalScope&) = delete;
  ExitOnSignalScope& operator=(const ExitOnSignalScope&) = delete;
};

}  // namespace pelmic::linux_desktop
