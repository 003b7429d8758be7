// SPDX-License-Identifier: MIT
// stop_signals.h - Ctrl-C, a kill or a hang-up ends a run cleanly.
//
// A stop signal is only noted: the cycle sees it at its next yield, PNG
// encoding and a wait for a FIFO within a few tens of milliseconds, a write
// blocked on a FIFO or a terminal gives up, and the run unwinds, removing its
// temporaries, before the program ends by that signal, as whoever started it
// expects. A second signal ends it at once, but still removes the temporaries.
//
//   CatchStopSignals(RemoveEveryTemporary);
//   ... long work, looking at StopSignal() ...
//   if (StopSignal() != 0) EndByStopSignal();
#pragma once

#include <functional>
#include <thread>

namespace pelmic::render {

// Also ignores SIGPIPE: a reader that went away is a failed write, reported
// and cleaned up like any other. `atSecondSignal` runs in the handler of a
// second signal, before it ends the program: it must be async-signal-safe.
void CatchStopSignals(void (*atSecondSignal)());

// The stop signal received, or 0.
int StopSignal();

[[noreturn]] void EndByStopSignal();

// Starts `work` on a thread that never runs the stop handler, so that a
// second signal's clean-up always stops the thread doing the run.
std::thread WithoutStopSignals(std::function<void()> work);

}  // namespace pelmic::render
