// SPDX-License-Identifier: MIT
// wayland_saver_window.h - the full-screen saver window on a Wayland desktop,
// without SDL's windows (SDL 2.26 makes each of them an OpenGL window, which
// holds some 60 MB of Mesa and LLVM before a pixel is drawn).
//
// The diagram shows full screen on the first output the compositor lists,
// which is SDL's display 0 and counts as the primary one; the other outputs
// get black full-screen toplevels by the shared cover rule
// (shell/monitor_covers.h). The canvas takes the primary's size once, as
// configured when the window is made. An output connected while the saver
// runs gets a black toplevel of its own by the same rule as soon as the
// compositor has told its place (one that cannot be made throws from
// PumpEvents, ending the saver); when the primary output is disconnected the
// saver ends, as if asked to close. Any key, button or real pointer movement
// over any of them goes to the saver's handlers; the cursor is hidden over
// all of them. The shell's loop reads the connection once per yield; its
// frame signal is the primary's presenter being ready (wayland_presenter.h).
//
//   std::unique_ptr<WaylandSaverWindow> window = WaylandSaverWindow::CoverOutputs();
//   if (!window) { /* no Wayland here: SDL's back ends */ }
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "canvas/raster_canvas.h"
#include "platform/linux/wayland/wayland_connection.h"
#include "platform/linux/wayland/wayland_fullscreen.h"
#include "shell/platform.h"

namespace pelmic::linux_desktop {

// Whether the saver's own window goes on Wayland rather than through SDL
// (X11): where a Wayland compositor is named, unless SDL_VIDEODRIVER names
// another back end first. Each argument is an environment variable's value,
// or null when it is not set.
bool WaylandSaverWanted(const char* videoDriver, const char* waylandDisplay);

class WaylandSaverWindow final : public shell::SaverWindow, private WaylandInputSink {
 public:
  // Hidden toplevels on every output that needs one, configured full screen;
  // null where Wayland is not wanted (WaylandSaverWanted, on this process's
  // environment) or no compositor answers. Throws std::runtime_error.
  static std::unique_ptr<WaylandSaverWindow> CoverOutputs();

  // Once Hide has given the screen back, leaves the surfaces, their buffers
  // and the connection to the end of the program (process_end.h).
  ~WaylandSaverWindow() override;

  void Show() override;
  void Hide() override;
  RasterCanvas& Surface() override { return canvas_; }
  void PumpEvents(shell::SaverInput& input) override;
  void Present(const DirtyRect& area) override;
  bool HasFrameSignal() const override { return true; }
  bool FrameReady() override { return primary_->FrameReady(canvas_); }

 private:
  WaylandSaverWindow(std::unique_ptr<WaylandConnection> wayland, std::unique_ptr<FullScreenSurface> primary,
                     std::vector<std::unique_ptr<FullScreenSurface>> covers);
  // Follows outputs connected and disconnected since the last call; false
  // once the primary one is gone.
  bool FollowOutputs();
  const FullScreenSurface* SurfaceFor(const wl_surface* surface) const;

  // WaylandInputSink
  void KeyPressed() override;
  void ButtonPressed() override;
  void PointerAt(wl_surface* surface, double x, double y) override;

  std::unique_ptr<WaylandConnection> wayland_;  // first: outlives the toplevels on it
  std::unique_ptr<FullScreenSurface> primary_;
  std::vector<std::unique_ptr<FullScreenSurface>> covers_;
  // After primary_, so destroyed before it: it may draw into the primary's buffers.
  RasterCanvas canvas_;
  shell::SaverInput* input_ = nullptr;  // while PumpEvents dispatches
  bool shown_ = false;    // between Show and Hide: new covers are mapped
};

}  // namespace pelmic::linux_desktop
