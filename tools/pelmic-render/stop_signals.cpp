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

extern "C" void OnStopSignal(int signal) {
  if (gStopSignal.exchange(signal) != 0) {
    std::signal(signal, SIG_DFL);
    std::raise(signal);
  }
#if defined(_WIN32)
  std::signal(signal, OnStopSignal);  // Windows resets the handler at each signal
#endif
}

#if defined(_WIN32)
void Catch(int signal, bool) { std::signal(signal, OnStopSignal); }
#else
// A signal the caller set to be ignored (nohup, a script's background job)
// stays ignored unless `always`. Without SA_RESTART, so that a write blocked
// on a FIFO nobody reads returns.
void Catch(int signal, bool always) {
  struct sigaction action {}, before {};
  if (sigaction(signal, nullptr, &before) == 0 && before.sa_handler == SIG_IGN && !always) return;
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(signal, &action, nullptr);
  sigset_t one;
  sigemptyset(&one);
  sigaddset(&one, signal);
  pthread_sigmask(SIG_UNBLOCK, &one, nullptr);  // nor may a blocked one stay deaf
}

void HoldStopSignals(int how, sigset_t* before) {
  sigset_t stops;
  sigemptyset(&stops);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stops, signal);
  pthread_sigmask(how, &stops, before);
}
#endif

}  // namespace

void CatchStopSignals() {
  Catch(SIGINT, false);
  Catch(SIGTERM, true);  // how anyone stops a program, whatever its caller did
#if !defined(_WIN32)
  Catch(SIGHUP, false);
  std::signal(SIGPIPE, SIG_IGN);
#endif
}

#if !defined(_WIN32)
StopSignalsHeld::StopSignalsHeld() { HoldStopSignals(SIG_BLOCK, &before_); }
StopSignalsHeld::~StopSignalsHeld() { pthread_sigmask(SIG_SETMASK, &before_, nullptr); }
#endif

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
