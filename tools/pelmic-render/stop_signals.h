// SPDX-License-Identifier: MIT
// stop_signals.h - Ctrl-C, a kill or a hang-up ends a run cleanly.
//
// A stop signal is only noted: the cycle sees it at its next yield, PNG
// encoding and a wait for a FIFO within a few tens of milliseconds, a write
// blocked on a FIFO or a terminal gives up, and the run unwinds, removing its
// temporaries, before the program ends by that signal, as whoever started it
// expects. A second signal ends it at once; the temporaries, unnamed, go with
// it. SIGINT and SIGHUP that the caller ignored stay ignored; SIGTERM is
// always caught.
//
//   CatchStopSignals();
//   ... long work, looking at StopSignal() ...
//   if (StopSignal() != 0) EndByStopSignal();
#pragma once

#include <functional>
#if !defined(_WIN32)
#include <csignal>
#endif
#include <thread>

namespace pelmic::render {

// Also ignores SIGPIPE: a reader that went away is a failed write, reported
// and cleaned up like any other.
void CatchStopSignals();

// While one exists stop signals wait, so that none cuts the file being
// written at the end in two; they are acted on once it is gone.
class StopSignalsHeld {
 public:
#if defined(_WIN32)
  StopSignalsHeld() {}
#else
  StopSignalsHeld();
  ~StopSignalsHeld();

 private:
  sigset_t before_;
#endif
  StopSignalsHeld(const StopSignalsHeld&) = delete;
  StopSignalsHeld& operator=(const StopSignalsHeld&) = delete;
};

// The stop signal received, or 0.
int StopSignal();

[[noreturn]] void EndByStopSignal();

// Starts `work` on a thread that never runs the stop handler, so that a
// second signal's clean-up always stops the thread doing the run.
std::thread WithoutStopSignals(std::function<void()> work);

}  // namespace pelmic::render
