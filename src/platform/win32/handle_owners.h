// SPDX-License-Identifier: MIT
// handle_owners.h - owners for the Win32 handles this front end takes: each
// releases its handle when it goes, so that every error path gives back what
// it took.
//
//   UniqueDc dc(CreateCompatibleDC(nullptr));  // DeleteDC when dc goes
//   WindowDc screen(nullptr);                  // GetDC now, ReleaseDC when it goes
//
// A window's child windows need no owner of their own: they go with it.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

namespace pelmic::win32 {

struct WindowDestroyer {
  // Messages from its destruction on find no owner: the object that set
  // GWLP_USERDATA may already be half gone.
  void operator()(HWND window) const {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    DestroyWindow(window);
  }
};
struct GdiObjectDeleter {
  void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
struct DcDeleter {
  void operator()(HDC dc) const { DeleteDC(dc); }
};
struct KernelHandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};

template <typename Handle, typename Release>
using Owned = std::unique_ptr<std::remove_pointer_t<Handle>, Release>;

using UniqueWindow = Owned<HWND, WindowDestroyer>;
using UniqueBitmap = Owned<HBITMAP, GdiObjectDeleter>;
using UniqueFont = Owned<HFONT, GdiObjectDeleter>;
using UniqueDc = Owned<HDC, DcDeleter>;
using UniqueKernelHandle = Owned<HANDLE, KernelHandleCloser>;

// A window's device context (the screen's for nullptr), for as long as this lives.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;

  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

}  // namespace pelmic::win32
