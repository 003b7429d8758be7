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
// DoEvents, ending the saver); when the primary output is disconnected the
// saver ends, as if asked to close. Any key, button or real pointer movement
// over any of them goes to the saver's handlers; the cursor is hidden over
// all of them. As on X11, DoEvents reads the connection once per yield and
// presents only when something changed and a frame's time has passed.
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
#include "shell/present_policy.h"

namespace pelmic::linux_desktop {

// Whether the saver's own window goes on Wayland rather than through SDL
// (X11): where a Wayland compositor is named, unless SDL_VIDEODRIVER names
// another back end first. Each argument is an environment variable's value,
// or null when it is not set.
bool WaylandSaverWanted(const char* videoDriver, const char* waylandDisplay);

class WaylandSaverWindow final : public shell::SaverWindow, private WaylandInputSink, private shell::PresentTarget {
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
  void Refresh() override;
  Canvas& Surface() override { return canvas_; }
  void DoEvents(shell::SaverInput& input) override;

#ifdef PELMIC_TEST_HOOKS
  // For the benchmarks: presenting can be switched off to measure its cost.
  void SetPresenting(bool on) { presenting_ = on; }
#endif

 private:
  WaylandSaverWindow(std::unique_ptr<WaylandConnection> wayland, std::unique_ptr<FullScreenSurface> primary,
                     std::vector<std::unique_ptr<FullScreenSurface>> covers);
  // Follows outputs connected and disconnected since the last call; false
  // once the primary one is gone.
  bool FollowOutputs();
  const FullScreenSurface* SurfaceFor(const wl_surface* surface) const;

  // PresentTarget
  std::int64_t Now() const override { return static_cast<std::int64_t>(SDL_GetTicks64()); }
  bool PresentChanged() override;
  void PresentAll() override;

  // WaylandInputSink
  void KeyPressed() override;
  void ButtonPressed() override;
  void PointerAt(wl_surface* surface, double x, double y) override;

  std::unique_ptr<WaylandConnection> wayland_;  // first: outlives the toplevels on it
  std::unique_ptr<FullScreenSurface> primary_;
  std::vector<std::unique_ptr<FullScreenSurface>> covers_;
  // After primary_, so destroyed before it: it may draw into the primary's buffers.
  RasterCanvas canvas_;
  shell::SaverInput* input_ = nullptr;  // while DoEvents dispatches
  shell::PresentPolicy policy_{*this, shell::PresentPolicy::kFrameMs};
  bool shown_ = false;    // between Show and Hide: new covers are mapped
#ifdef PELMIC_TEST_HOOKS
  bool presenting_ = true;
#else
  static constexpr bool presenting_ = true;  // what ships always presents
#endif
};

}  // namespace pelmic::linux_desktop
