#include "platform/win32/saver_window.h"

#include <windowsx.h>

#include <cstring>
#include <stdexcept>

#include "platform/win32/trace.h"

namespace pelmic::win32 {

namespace {

constexpr wchar_t kClassName[] = L"PelmicSaverWindow";
constexpr wchar_t kCaption[] = L"Pelmic";
// At most one present per this many milliseconds while the cycle draws.
constexpr std::int64_t kPresentIntervalMs = 8;

std::int64_t TicksPerSecond() {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return frequency.QuadPart;
}

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
                                   const std::vector<ScreenRect>& covered)
    : canvas_(widthPx, heightPx), covers_(instance, covered), schedule_(TicksPerSecond() * kPresentIntervalMs / 1000) {
  RegisterWindowClass(instance);
  CreateBackBuffer();
  // OwnerWindowProc stores the window handle on WM_NCCREATE.
  CreateWindowExW(WS_EX_TOPMOST, kClassName, kCaption, WS_POPUP, 0, 0, widthPx, heightPx, nullptr,
                  nullptr, instance, this);
  if (window_ == nullptr) throw std::runtime_error("cannot create the saver window");
  covers_.SetInputTarget(window_);
}

Win32SaverWindow::~Win32SaverWindow() {
  if (window_ != nullptr) {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
  if (memoryDc_ != nullptr) {
    SelectObject(memoryDc_, previousBitmap_);
    DeleteDC(memoryDc_);
  }
  if (dib_ != nullptr) DeleteObject(dib_);
}

void Win32SaverWindow::CreateBackBuffer() {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = canvas_.Width();
  info.bmiHeader.biHeight = -canvas_.Height();  // top-down, like the canvas
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;  // 0x00RRGGBB words: the canvas's own layout
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  dib_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  memoryDc_ = CreateCompatibleDC(nullptr);
  if (dib_ == nullptr || memoryDc_ == nullptr) throw std::runtime_error("cannot create the back buffer");
  dibPixels_ = static_cast<std::uint32_t*>(bits);
  previousBitmap_ = SelectObject(memoryDc_, dib_);
  const DirtyRect all{0, 0, canvas_.Width(), canvas_.Height()};
  schedule_.Add(all);
}

void Win32SaverWindow::Show() {
  Trace("saver", "shown");
  covers_.Show();
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
  SetFocus(window_);
}

void Win32SaverWindow::Hide() {
  ShowWindow(window_, SW_HIDE);
  covers_.Hide();
}

void Win32SaverWindow::Refresh() {
  schedule_.Add(canvas_.TakeDirtyRect());
  Present(schedule_.TakeNow(Now()));
}

void Win32SaverWindow::DoEvents(shell::SaverInput& input) {
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
  schedule_.Add(canvas_.TakeDirtyRect());
  // The clock is read only when there is something to show.
  if (schedule_.HasPending()) Present(schedule_.TakeIfDue(Now()));
}

std::int64_t Win32SaverWindow::Now() const {
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return counter.QuadPart;
}

void Win32SaverWindow::Present(const DirtyRect& area) {
  if (area.Empty()) return;
  const int width = canvas_.Width();
  const std::uint32_t* source = canvas_.Pixels();
  const std::size_t rowBytes = static_cast<std::size_t>(area.right - area.left) * sizeof(std::uint32_t);
  GdiFlush();  // GDI must be done with the DIB before we write to it
  for (int y = area.top; y < area.bottom; ++y) {
    const std::size_t offset = static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                               static_cast<std::size_t>(area.left);
    std::memcpy(dibPixels_ + offset, source + offset, rowBytes);
  }
  if (!IsWindowVisible(window_)) return;  // WM_PAINT shows it once visible
  HDC windowDc = GetDC(window_);
  BitBlt(windowDc, area.left, area.top, area.right - area.left, area.bottom - area.top, memoryDc_,
         area.left, area.top, SRCCOPY);
  ReleaseDC(window_, windowDc);
}

void Win32SaverWindow::RequestClose() {
  // A close request sent outside DoEvents (from inside another Win32 call)
  // is handed on at the next DoEvents.
  if (input_ != nullptr) {
    input_->CloseRequested();
  } else {
    closePending_ = true;
  }
}

void Win32SaverWindow::Paint() {
  PAINTSTRUCT paint;
  HDC windowDc = BeginPaint(window_, &paint);
  const RECT& r = paint.rcPaint;
  BitBlt(windowDc, r.left, r.top, r.right - r.left, r.bottom - r.top, memoryDc_, r.left, r.top, SRCCOPY);
  EndPaint(window_, &paint);
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
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers everything from the back buffer
    case WM_PAINT:
      Paint();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace pelmic::win32
