// SPDX-License-Identifier: MIT
#include "platform/win32/cover_windows.h"

#include <windowsx.h>

#include <stdexcept>
#include <utility>

#include "platform/win32/creation_steps.h"

namespace pelmic::win32 {

namespace {

constexpr wchar_t kClassName[] = L"PelmicCoverWindow";

bool IsMouseMessage(UINT message) { return message >= WM_MOUSEFIRST && message <= WM_MOUSELAST; }

bool IsInputMessage(UINT message) {
  return IsMouseMessage(message) || (message >= WM_KEYFIRST && message <= WM_KEYLAST);
}

LRESULT CALLBACK CoverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto target = reinterpret_cast<HWND>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (target != nullptr && IsInputMessage(message)) {
    // The wheel reports screen coordinates; every other mouse message client ones.
    if (IsMouseMessage(message) && message != WM_MOUSEWHEEL && message != WM_MOUSEHWHEEL) {
      POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      MapWindowPoints(window, target, &at, 1);
      lParam = MAKELPARAM(static_cast<WORD>(at.x), static_cast<WORD>(at.y));
    }
    return SendMessageW(target, message, wParam, lParam);
  }
  if (message == WM_MOUSEACTIVATE) return MA_NOACTIVATE;  // the focus stays with the saver
  return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterCoverClass(HINSTANCE instance) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &CoverWindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW, hidden while the saver runs
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = kClassName;
  RegisterClassExW(&windowClass);  // fails harmlessly if already registered
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC /*dc*/, LPRECT /*clip*/, LPARAM list) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoW(monitor, &info)) {
    const RECT& r = info.rcMonitor;
    reinterpret_cast<std::vector<shell::MonitorRect>*>(list)->push_back(
        {{r.left, r.top, r.right, r.bottom}, (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
  }
  return TRUE;
}

}  // namespace

std::vector<shell::MonitorRect> Monitors() {
  std::vector<shell::MonitorRect> monitors;
  EnumDisplayMonitors(nullptr, nullptr, &AddMonitor, reinterpret_cast<LPARAM>(&monitors));
  return monitors;
}

CoverWindows::CoverWindows(HINSTANCE instance, const std::vector<shell::ScreenRect>& areas) : instance_(instance) {
  for (const shell::ScreenRect& area : areas) windows_.push_back({area, Make(area)});
}

UniqueWindow CoverWindows::Make(const shell::ScreenRect& area) {
  RegisterCoverClass(instance_);
  UniqueWindow window(CreationStep(Made::Window, [&] {
    return CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kClassName, L"", WS_POPUP, area.left,
                           area.top, area.right - area.left, area.bottom - area.top, nullptr, nullptr, instance_,
                           nullptr);
  }));
  if (window == nullptr) throw std::runtime_error("cannot create a cover window");
  return window;
}

void CoverWindows::SetInputTarget(HWND target) {
  target_ = target;
  for (const Cover& cover : windows_) {
    SetWindowLongPtrW(cover.window.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(target));
  }
}

void CoverWindows::Show() {
  shown_ = true;
  for (const Cover& cover : windows_) ShowWindow(cover.window.get(), SW_SHOWNOACTIVATE);
}

void CoverWindows::Hide() {
  shown_ = false;
  for (const Cover& cover : windows_) ShowWindow(cover.window.get(), SW_HIDE);
}

void CoverWindows::Follow(const std::vector<shell::ScreenRect>& areas) {
  shell::FollowCoverRects(windows_, areas, [](const Cover& cover) { return cover.area; }, [&](const auto& area) {
    UniqueWindow window = Make(area);
    SetWindowLongPtrW(window.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(target_));
    // Below the saver window, should a monitor overlap the primary.
    if (target_ != nullptr) SetWindowPos(window.get(), target_, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (shown_) ShowWindow(window.get(), SW_SHOWNOACTIVATE);
    windows_.push_back({area, std::move(window)});
  });
}

}  // namespace pelmic::win32
