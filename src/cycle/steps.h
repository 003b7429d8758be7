// SPDX-License-Identifier: MIT
// steps.h - a computation that runs in steps: a C++20 coroutine that its
// caller resumes up to its next co_yield.
//
//   Steps Count(int& n) {
//     for (;;) {
//       ++n;
//       co_yield 0;
//     }
//   }
//   int n = 0;
//   Steps steps = Count(n);  // nothing has run yet
//   steps.Resume();          // n == 1: ran up to the first co_yield
//   steps.Resume();          // n == 2
//
// The caller owns the loop and the timing; the computation only says where it
// may be interrupted, and passes a number with each yield (Mark). Its frame is
// allocated once, when it is called; a resume and a suspension cost a call
// each, with nothing unwound. An exception inside it comes out of the Resume
// that ran into it, and the computation is then over.
#pragma once

#include <exception>
#include <utility>

#if __has_include(<coroutine>)
#include <coroutine>
namespace pelmic::coroutines {
using std::coroutine_handle;
using std::suspend_always;
}  // namespace pelmic::coroutines
#else
// libc++ before release 15 (emscripten's) has them under their draft name.
#include <experimental/coroutine>
namespace pelmic::coroutines {
using std::experimental::coroutine_handle;
using std::experimental::suspend_always;
}  // namespace pelmic::coroutines
#endif

namespace pelmic {

class Steps {
 public:
  struct promise_type {
    int mark = 0;
    std::exception_ptr error;

    Steps get_return_object() { return Steps(Handle::from_promise(*this)); }
    coroutines::suspend_always initial_suspend() noexcept { return {}; }
    coroutines::suspend_always final_suspend() noexcept { return {}; }
    coroutines::suspend_always yield_value(int value) noexcept {
      mark = value;
      return {};
    }
    void return_void() noexcept {}
    void unhandled_exception() noexcept { error = std::current_exception(); }
  };

  Steps() = default;
  Steps(Steps&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  Steps& operator=(Steps&& other) noexcept {
    Steps gone(std::move(*this));
    handle_ = std::exchange(other.handle_, nullptr);
    return *this;
  }
  ~Steps() {
    if (handle_) handle_.destroy();
  }

  // Runs up to the next co_yield. False once the computation has ended (and
  // for one that never began); rethrows what it threw.
  bool Resume() {
    if (!handle_ || handle_.done()) return false;
    handle_.resume();
    if (std::exception_ptr error = std::exchange(handle_.promise().error, nullptr)) std::rethrow_exception(error);
    return !handle_.done();
  }
  // The number passed with the last yield.
  int Mark() const { return handle_.promise().mark; }

 private:
  using Handle = coroutines::coroutine_handle<promise_type>;
  explicit Steps(Handle handle) : handle_(handle) {}

  Handle handle_ = nullptr;
};

}  // namespace pelmic
