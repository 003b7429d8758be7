// SPDX-License-Identifier: MIT
#include "platform/win32/saver_window.h"

#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "platform/win32/creation_steps.h"
#include "platform/win32/trace.h"

namespace pelmic::win32 {

namespace {

constexpr wchar_t kClassName[] = L"PelmicSaverWindow";
constexpr wchar_t kCaption[] = L"Pelmic";
}  // namespace

void Win32SaverWindow::RegisterWindowClass(HINSTANCE instance) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = &OwnerWindowProc<Win32SaverWindow>;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  // The shell hides the cursor through the display count; the class cursor is
  // what shows when it is visible again.
  windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = kClassName;
  RegisterClassExW(&windowClass);  // fails harmlessly if already registered
}

Win32SaverWindow::Win32SaverWindow(HINSTANCE instance, int widthPx, int heightPx,
                                   const std::vector<shell::ScreenRect>& covered)
    : canvas_(widthPx, heightPx),
      covers_(instance, covered),
      backBuffer_(widthPx, heightPx) {
  RegisterWindowClass(instance);
  // OwnerWindowProc hands the window to window_ on WM_NCCREATE.
  const HWND made = CreationStep(Made::Window, [&] {
    return CreateWindowExW(WS_EX_TOPMOST, kClassName, kCaption, WS_POPUP, 0, 0, widthPx, heightPx, nullptr,
                           nullptr, instance, this);
  });
  if (made == nullptr) throw std::runtime_error("cannot create the saver window");
  covers_.SetInputTarget(window_.get());
}

void Win32SaverWindow::Show() {
  Trace("saver", "shown");
  covers_.Show();
  ShowWindow(window_.get(), SW_SHOW);
  SetForegroundWindow(window_.get());
  SetFocus(window_.get());
}

void Win32SaverWindow::Hide() {
  ShowWindow(window_.get(), SW_HIDE);
  covers_.Hide();
}

void Win32SaverWindow::PumpEvents(shell::SaverInput& input) {
  input_ = &input;
  if (closePending_) {
    closePending_ = false;
    input.CloseRequested();
  }
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  input_ = nullptr;
  coverFailure_.Raise();
}

void Win32SaverWindow::Present(const DirtyRect& area) {
  if (area.Empty()) return;
  const int width = canvas_.Width();
  const std::uint32_t* source = canvas_.Pixels();
  std::uint32_t* target = backBuffer_.Pixels();
  const std::size_t rowBytes = static_cast<std::size_t>(area.right - area.left) * sizeof(std::uint32_t);
  GdiFlush();  // GDI must be done with the DIB before we write to it
  for (int y = area.top; y < area.bottom; ++y) {
    const std::size_t offset = static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                               static_cast<std::size_t>(area.left);
    std::memcpy(target + offset, source + offset, rowBytes);
  }
  if (!IsWindowVisible(window_.get())) return;  // WM_PAINT shows it once visible
  const WindowDc windowDc(window_.get());
  BitBlt(windowDc.Get(), area.left, area.top, area.right - area.left, area.bottom - area.top, backBuffer_.Dc(),
         area.left, area.top, SRCCOPY);
}

void Win32SaverWindow::RequestClose() {
  // A close request sent outside PumpEvents (from inside another Win32 call)
  // is handed on at the next PumpEvents.
  if (input_ != nullptr) {
    input_->CloseRequested();
  } else {
    closePending_ = true;
  }
}

void Win32SaverWindow::FollowMonitors() {
  const std::vector<shell::MonitorRect> monitors = Monitors();
  const shell::ScreenRect own{0, 0, canvas_.Width(), canvas_.Height()};
  const bool primaryKept = std::any_of(monitors.begin(), monitors.end(),
                                       [&](const shell::MonitorRect& m) { return m.primary && m.area == own; });
  Trace("saver", primaryKept ? "monitors changed" : "primary monitor changed");
  if (!primaryKept) {
    RequestClose();
    return;
  }
  // Called from the window procedure: a failure waits for PumpEvents.
  coverFailure_.Keep([&] { covers_.Follow(shell::CoverRects(monitors)); });
}

void Win32SaverWindow::Paint() {
  PAINTSTRUCT paint;
  HDC windowDc = BeginPaint(window_.get(), &paint);
  const RECT& r = paint.rcPaint;
  BitBlt(windowDc, r.left, r.top, r.right - r.left, r.bottom - r.top, backBuffer_.Dc(), r.left, r.top, SRCCOPY);
  EndPaint(window_.get(), &paint);
}

LRESULT Win32SaverWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:  // Alt, F10 and Alt combinations arrive here
      if (input_ != nullptr) input_->Form_KeyDown();
      return 0;
    case WM_SYSKEYUP:
    case WM_SYSCHAR:  // no menu to open, no beep
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (input_ != nullptr) input_->Form_Click();
      return 0;
    case WM_XBUTTONDOWN:
      if (input_ != nullptr) input_->Form_Click();
      return TRUE;
    case WM_MOUSEMOVE:
      if (input_ != nullptr) {
        input_->Form_MouseMove(static_cast<float>(GET_X_LPARAM(lParam)),
                               static_cast<float>(GET_Y_LPARAM(lParam)));
      }
      return 0;
    case WM_CLOSE:  // the shell's exit path hides and destroys the window
      RequestClose();
      return 0;
    case WM_QUERYENDSESSION:
      RequestClose();
      return TRUE;
    case WM_ENDSESSION:
      if (wParam) RequestClose();
      return 0;
    case WM_SYSCOMMAND:
      // Already the screen saver: a second one must not start over it.
      if ((wParam & 0xFFF0) == SC_SCREENSAVE) return 0;
      break;
    case WM_DISPLAYCHANGE:
      FollowMonitors();
      return 0;
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers everything from the back buffer
    case WM_PAINT:
      Paint();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window_.get(), message, wParam, lParam);
}

}  // namespace pelmic::win32
