// SPDX-License-Identifier: MIT
#include "platform/win32/settings_dialog.h"

#include <commctrl.h>

#include <stdexcept>
#include <string>

#include "platform/win32/creation_steps.h"
#include "platform/win32/trace.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/window_text.h"

namespace pelmic::win32 {

namespace {

constexpr wchar_t kClassName[] = L"PelmicSettingsDialog";
// A fixed single border: title bar and close box, no sizing, no min/max boxes.
constexpr DWORD kDialogStyle = WS_CAPTION | WS_SYSMENU | WS_BORDER | WS_CLIPCHILDREN;
constexpr DWORD kDialogExStyle = WS_EX_CONTROLPARENT;
// Control ids start above IDOK and IDCANCEL: IsDialogMessage turns Enter and
// Esc into those, and the dialog has no default or cancel button.
constexpr int kFirstControlId = 100;

int ControlId(std::size_t tabIndex) { return kFirstControlId + static_cast<int>(tabIndex); }

// The system's message font, or none (the controls then take the GUI font).
UniqueFont CreateMessageFont() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return nullptr;
  return UniqueFont(
      CreationStep(Made::GdiObject, [&] { return CreateFontIndirectW(&metrics.lfMessageFont); }));
}

void RegisterDialogClass(HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  windowClass.lpszClassName = kClassName;
  RegisterClassExW(&windowClass);
}

}  // namespace

SettingsDialog::SettingsDialog(HINSTANCE instance, const shell::SettingsDialogDesign& design)
    : design_(design) {
  // Loads common controls 6 (named in the manifest), whose buttons follow the
  // system's visual style; without it the buttons come from user32, unthemed.
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  RegisterDialogClass(instance, &OwnerWindowProc<SettingsDialog>);
  if (const WindowDc screen(nullptr); screen.Get() != nullptr) dpi_ = GetDeviceCaps(screen.Get(), LOGPIXELSY);

  RECT frame{0, 0, ScaledPixels(design.clientWidth), ScaledPixels(design.clientHeight)};
  AdjustWindowRectEx(&frame, kDialogStyle, FALSE, kDialogExStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int x = work.left + (work.right - work.left - width) / 2;
  const int y = work.top + (work.bottom - work.top - height) / 2;

  // OwnerWindowProc hands the window to window_ on WM_NCCREATE.
  const HWND made = CreationStep(Made::Window, [&] {
    return CreateWindowExW(kDialogExStyle, kClassName, WideFromUtf8(design.caption).c_str(), kDialogStyle, x, y,
                           width, height, nullptr, nullptr, instance, this);
  });
  if (made == nullptr) throw std::runtime_error("cannot create the settings dialog");
  font_ = CreateMessageFont();
  CreateControls(instance);
}

int SettingsDialog::ScaledPixels(int twips) const {
  // The design's pixels are those of a 96-dpi screen; larger text settings
  // scale the whole dialog, as the system scales a dialog.
  return MulDiv(shell::TwipsToPixels(twips), dpi_, 96);
}

void SettingsDialog::CreateControls(HINSTANCE instance) {
  const auto font = reinterpret_cast<WPARAM>(font_ != nullptr ? font_.get() : GetStockObject(DEFAULT_GUI_FONT));
  // Creation order is the tab order.
  for (std::size_t i = 0; i < design_.controls.size(); ++i) {
    const shell::ControlDesign& control = design_.controls[i];
    const bool button = control.kind == shell::ControlKind::Button;
    const DWORD style = WS_CHILD | WS_VISIBLE | (button ? (WS_TABSTOP | BS_PUSHBUTTON) : SS_LEFT);
    const HWND child = CreationStep(Made::Window, [&] {
      return CreateWindowExW(0, button ? L"BUTTON" : L"STATIC", WideFromUtf8(control.text).c_str(), style,
                             ScaledPixels(control.left), ScaledPixels(control.top), ScaledPixels(control.width),
                             ScaledPixels(control.height), window_.get(),
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(i))), instance, nullptr);
    });
    if (child == nullptr) throw std::runtime_error("cannot create a dialog control");
    SendMessageW(child, WM_SETFONT, font, FALSE);
  }
}

void SettingsDialog::TraceContents() const {
  Trace("dialog", Utf8FromWide(WindowText(window_.get())));
  for (HWND child = GetWindow(window_.get(), GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    Trace("control", Utf8FromWide(ClassNameOf(child) + L" " + WindowText(child)));
  }
}

shell::DialogOutcome SettingsDialog::Run() {
  outcome_.reset();
  ShowWindow(window_.get(), SW_SHOWNORMAL);
  SetForegroundWindow(window_.get());
  SetFocus(GetDlgItem(window_.get(), ControlId(0)));
  TraceContents();
  MSG message;
  while (!outcome_) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(message.wParam));  // leave it for the caller's loop
      return shell::DialogOutcome::Closed;
    }
    if (got == -1) return shell::DialogOutcome::Closed;
    if (!IsDialogMessageW(window_.get(), &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  Trace("outcome", std::to_string(static_cast<int>(*outcome_)));
  return *outcome_;
}

LRESULT SettingsDialog::DefaultIdOfFocusedButton() const {
  // Enter presses the focused button and nothing else.
  HWND focus = GetFocus();
  if (focus == nullptr || GetParent(focus) != window_.get() || ClassNameOf(focus) != L"Button") return 0;
  return MAKELRESULT(GetDlgCtrlID(focus), DC_HASDEFID);
}

LRESULT SettingsDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      if (HIWORD(wParam) != BN_CLICKED) break;
      const int index = LOWORD(wParam) - kFirstControlId;
      if (index < 0 || index >= static_cast<int>(design_.controls.size())) return 0;
      switch (design_.controls[static_cast<std::size_t>(index)].role) {
        case shell::ControlRole::Ok: outcome_ = shell::DialogOutcome::Ok; break;
        case shell::ControlRole::Cancel: outcome_ = shell::DialogOutcome::Cancel; break;
        case shell::ControlRole::Preview: outcome_ = shell::DialogOutcome::Preview; break;
        case shell::ControlRole::None: break;
      }
      return 0;
    }
    case DM_GETDEFID:
      return DefaultIdOfFocusedButton();
    case WM_CLOSE:  // the close box; the window itself goes with the object
      outcome_ = shell::DialogOutcome::Closed;
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      if (wParam) outcome_ = shell::DialogOutcome::Closed;
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window_.get(), message, wParam, lParam);
}

}  // namespace pelmic::win32
