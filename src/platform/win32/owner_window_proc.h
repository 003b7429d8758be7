// owner_window_proc.h - routes a window's messages to the object that owns it.
//
// The owner passes `this` as CreateWindowExW's lpParam and registers
// &OwnerWindowProc<Owner> as the class's window procedure. On WM_NCCREATE the
// procedure stores the owner in GWLP_USERDATA and its window_ handle; every
// message from then on goes to owner->HandleMessage. An owner that clears
// GWLP_USERDATA before DestroyWindow gets no messages after that.
//
//   class MyWindow {
//     template <typename Owner> friend LRESULT CALLBACK OwnerWindowProc(HWND, UINT, WPARAM, LPARAM);
//     LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
//     HWND window_ = nullptr;
//   };
#pragma once

#include <windows.h>

namespace pelmic::win32 {

template <typename Owner>
LRESULT CALLBACK OwnerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* creating = static_cast<Owner*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    creating->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creating));
  }
  auto* self = reinterpret_cast<Owner*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  return self->HandleMessage(message, wParam, lParam);
}

}  // namespace pelmic::win32
