// saver_window.h - the full-screen saver window of the Win32 front end.
//
// A borderless top-most popup over the primary monitor showing a RasterCanvas
// through a DIB section of the same size. DoEvents pumps the thread's message
// queue and hands input to the shell's handlers.
#pragma once

#include <windows.h>

#include <cstdint>

#include "canvas/raster_canvas.h"
#include "platform/win32/present_schedule.h"
#include "platform/win32/owner_window_proc.h"
#include "shell/platform.h"

namespace pelmic::win32 {

class Win32SaverWindow final : public shell::SaverWindow {
 public:
  Win32SaverWindow(HINSTANCE instance, int widthPx, int heightPx);
  ~Win32SaverWindow() override;
  Win32SaverWindow(const Win32SaverWindow&) = delete;
  Win32SaverWindow& operator=(const Win32SaverWindow&) = delete;

  void Show() override;
  void Hide() override;
  void Refresh() override;
  Canvas& Surface() override { return canvas_; }
  void DoEvents(shell::SaverInput& input) override;

 private:
  template <typename Owner>
  friend LRESULT CALLBACK OwnerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  static void RegisterWindowClass(HINSTANCE instance);
  void CreateBackBuffer();
  void RequestClose();
  // Copies the area from the canvas into the DIB and blits it to the window.
  void Present(const DirtyRect& area);
  void Paint();
  std::int64_t Now() const;

  RasterCanvas canvas_;
  HWND window_ = nullptr;
  HDC memoryDc_ = nullptr;
  HBITMAP dib_ = nullptr;
  HGDIOBJ previousBitmap_ = nullptr;
  std::uint32_t* dibPixels_ = nullptr;
  PresentSchedule schedule_;
  // Set only while DoEvents dispatches, so input reaches the handlers there alone.
  shell::SaverInput* input_ = nullptr;
  bool closePending_ = false;
};

}  // namespace pelmic::win32
