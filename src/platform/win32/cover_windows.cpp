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

}  // namespace

CoverWindows::CoverWindows(HINSTANCE instance, const std::vector<shell::ScreenRect>& areas) {
  if (areas.empty()) return;
  RegisterCoverClass(instance);
  for (const shell::ScreenRect& area : areas) {
    UniqueWindow window(CreationStep(HandleKind::Window, [&] {
      return CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kClassName, L"", WS_POPUP,
                             area.left, area.top, area.right - area.left, area.bottom - area.top, nullptr,
                             nullptr, instance, nullptr);
    }));
    if (window == nullptr) throw std::runtime_error("cannot create a cover window");
    windows_.push_back(std::move(window));
  }
}

void CoverWindows::SetInputTarget(HWND target) {
  for (const UniqueWindow& window : windows_) {
    SetWindowLongPtrW(window.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(target));
  }
}

void CoverWindows::Show() {
  for (const UniqueWindow& window : windows_) ShowWindow(window.get(), SW_SHOWNOACTIVATE);
}

void CoverWindows::Hide() {
  for (const UniqueWindow& window : windows_) ShowWindow(window.get(), SW_HIDE);
}

}  // namespace pelmic::win32
