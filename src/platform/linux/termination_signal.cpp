// SPDX-License-Identifier: MIT
#include "platform/linux/termination_signal.h"

#include <pthread.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>

namespace pelmic::linux_desktop {

namespace {

// A signal may land on any of SDL's threads: lock-free atomics are both
// safe in a handler and seen at once by the main thread.
std::atomic<bool> requested{false};
std::atomic<bool> endAtOnce{false};
static_assert(std::atomic<bool>::is_always_lock_free);
// The process that shows the dialog, so that a child can tell whether it
// lost its parent before it asked to be told of that.
pid_t dialogOwner = 0;

// Only async-signal-safe work: store a flag, or end the process.
extern "C" void OnTerminationSignal(int) {
  requested = true;
  if (endAtOnce) _exit(0);
}

// Runs in every child forked while a dialog shows (the message box's own
// process, zenity before its exec): it ends with its parent. It inherited
// the handlers and `endAtOnce`, so SIGTERM ends it at once, and an exec'd
// program dies of it. Only system calls here: the parent may have threads.
extern "C" void OnForkedChild() {
  if (!endAtOnce) return;
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  if (getppid() != dialogOwner) _exit(0);
}

}  // namespace

void InstallTerminationHandlers() {
  struct sigaction action {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  // A daemon must be able to stop the saver whatever its parent did: a
  // blocked signal mask is inherited across exec, as an ignored one is (the
  // handler above replaces that).
  sigset_t term;
  sigemptyset(&term);
  sigaddset(&term, SIGTERM);
  pthread_sigmask(SIG_UNBLOCK, &term, nullptr);
  pthread_atfork(nullptr, nullptr, OnForkedChild);
}

bool TerminationRequested() { return requested; }

bool TerminationRequestedWithin(std::chrono::milliseconds wait) {
  const auto deadline = std::chrono::steady_clock::now() + wait;
  while (!requested && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return requested;
}

ExitOnSignalScope::ExitOnSignalScope() {
  dialogOwner = getpid();
  endAtOnce = true;
  // Set before the look, so that a signal is either seen here or ends the
  // program in the handler.
  if (requested) _exit(0);
}

ExitOnSignalScope::~ExitOnSignalScope() { endAtOnce = false; }

}  // namespace pelmic::linux_desktop
