// stop_signals.h - Ctrl-C, a kill or a hang-up ends a run cleanly.
//
// A stop signal is only noted: the cycle sees it at its next yield, a write
// blocked on a FIFO or a terminal gives up, and the run unwinds, removing its
// temporaries, before the program ends by that signal, as whoever started it
// expects. A second signal ends it at once.
//
//   CatchStopSignals();
//   ... long work, looking at StopSignal() ...
//   if (StopSignal() != 0) EndByStopSignal();
#pragma once

namespace pelmic::render {

// Also ignores SIGPIPE: a reader that went away is a failed write, reported
// and cleaned up like any other.
void CatchStopSignals();

// The stop signal received, or 0.
int StopSignal();

[[noreturn]] void EndByStopSignal();

}  // namespace pelmic::render
