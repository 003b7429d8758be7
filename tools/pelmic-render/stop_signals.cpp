// SPDX-License-Identifier: MIT
#include "stop_signals.h"

#include <atomic>
#include <csignal>
#include <cstdlib>

#if !defined(_WIN32)
#include <pthread.h>
#endif

namespace pelmic::render {
namespace {

// Set in a handler, read by the run (and on Windows by another thread).
std::atomic<int> gStopSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);
void (*gAtSecondSignal)() = nullptr;

extern "C" void OnStopSignal(int signal) {
  if (gStopSignal.exchange(signal) != 0) {
    if (gAtSecondSignal != nullptr) gAtSecondSignal();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
  }
#if defined(_WIN32)
  std::signal(signal, OnStopSignal);  // Windows resets the handler at each signal
#endif
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

void CatchStopSignals(void (*atSecondSignal)()) {
  gAtSecondSignal = atSecondSignal;
  Catch(SIGINT);
  Catch(SIGTERM);
#if !defined(_WIN32)
  Catch(SIGHUP);
  std::signal(SIGPIPE, SIG_IGN);
#endif
}

int StopSignal() { return gStopSignal.load(); }

void EndByStopSignal() {
  const int signal = gStopSignal.load();
  std::signal(signal, SIG_DFL);
  std::raise(signal);
  std::_Exit(128 + signal);  // where raising does not end the program
}

std::thread WithoutStopSignals(std::function<void()> work) {
#if defined(_WIN32)
  return std::thread(std::move(work));  // handlers run on a thread of their own anyway
#else
  sigset_t all, before;
  sigfillset(&all);
  pthread_sigmask(SIG_BLOCK, &all, &before);  // the new thread inherits the mask
  std::thread thread(std::move(work));
  pthread_sigmask(SIG_SETMASK, &before, nullptr);
  return thread;
#endif
}

}  // namespace pelmic::render
