// SPDX-License-Identifier: MIT
// owner_window_proc.h - routes a window's messages to the object that owns it.
//
// The owner passes `this` as CreateWindowExW's lpParam and registers
// &OwnerWindowProc<Owner> as the class's window procedure. On WM_NCCREATE the
// procedure stores the owner in GWLP_USERDATA and gives it the window, in its
// UniqueWindow window_; every message from then on goes to
// owner->HandleMessage. When the owner goes, window_ clears GWLP_USERDATA and
// destroys the window; should the window be destroyed first (a creation that
// fails after WM_NCCREATE), the owner lets go of the handle. So neither ever
// holds on to the other once it is gone.
//
//   class MyWindow {
//     template <typename Owner> friend LRESULT CALLBACK OwnerWindowProc(HWND, UINT, WPARAM, LPARAM);
//     LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
//     UniqueWindow window_;
//   };
#pragma once

#include <windows.h>

#include "platform/win32/handle_owners.h"

namespace pelmic::win32 {

template <typename Owner>
LRESULT CALLBACK OwnerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* creating = static_cast<Owner*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    creating->window_.reset(window);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creating));
  }
  auto* self = reinterpret_cast<Owner*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  const LRESULT result = self->HandleMessage(message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    (void)self->window_.release();
  }
  return result;
}

}  // namespace pelmic::win32
