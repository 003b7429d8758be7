// termination_signal.h - SIGTERM and SIGINT as a request to stop the saver.
//
// Daemons end their saver programs with SIGTERM; the saver must then leave
// the way a key press makes it leave (status 0, settings put back). Outside
// the saver's cycle (dialogs, start-up) the signals keep their default effect.
//
//   InstallTerminationHandlers();     // first thing in main
//   SaverListening listening;         // while the cycle runs
//   if (TerminationRequested()) ...   // polled at every yield
#pragma once

namespace pelmic::sdl {

void InstallTerminationHandlers();

// True once SIGTERM or SIGINT arrived while a SaverListening was alive.
bool TerminationRequested();

// While one exists, the signals set the flag instead of ending the process.
class SaverListening {
 public:
  SaverListening();
  ~SaverListening();
  SaverListening(const SaverListening&) = delete;
  SaverListening& operator=(const SaverListening&) = delete;
};

}  // namespace pelmic::sdl
