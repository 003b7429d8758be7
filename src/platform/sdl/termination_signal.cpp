#include "platform/sdl/termination_signal.h"

#include <csignal>

namespace pelmic::sdl {

namespace {

volatile std::sig_atomic_t listening = 0;
volatile std::sig_atomic_t requested = 0;

// Only async-signal-safe work: store a flag, or fall back to the default
// disposition and raise the signal again.
extern "C" void OnTerminationSignal(int signal) {
  if (listening != 0) {
    requested = 1;
    return;
  }
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

}  // namespace

void InstallTerminationHandlers() {
  struct sigaction action {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
}

bool TerminationRequested() { return requested != 0; }

SaverListening::SaverListening() { listening = 1; }
SaverListening::~SaverListening() { listening = 0; }

}  // namespace pelmic::sdl
