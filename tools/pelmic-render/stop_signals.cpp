#include "stop_signals.h"

#include <csignal>
#include <cstdlib>

namespace pelmic::render {
namespace {

volatile std::sig_atomic_t gStopSignal = 0;

extern "C" void OnStopSignal(int signal) {
  if (gStopSignal != 0) {
    std::signal(signal, SIG_DFL);
    std::raise(signal);
  }
  gStopSignal = signal;
}

void Catch(int signal) {
#if defined(_WIN32)
  std::signal(signal, OnStopSignal);
#else
  // Without SA_RESTART, so that a write blocked on a FIFO nobody reads returns.
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(signal, &action, nullptr);
#endif
}

}  // namespace

void CatchStopSignals() {
  Catch(SIGINT);
  Catch(SIGTERM);
#if !defined(_WIN32)
  Catch(SIGHUP);
  std::signal(SIGPIPE, SIG_IGN);
#endif
}

int StopSignal() { return gStopSignal; }

void EndByStopSignal() {
  const int signal = gStopSignal;
  std::signal(signal, SIG_DFL);
  std::raise(signal);
  std::_Exit(128 + signal);  // where raising does not end the program
}

}  // namespace pelmic::render
