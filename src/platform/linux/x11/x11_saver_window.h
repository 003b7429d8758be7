// SPDX-License-Identifier: MIT
// x11_saver_window.h - the saver window on SDL2: its own, covering every
// display, or a window a screen-saver daemon hands it.
//
// The diagram is drawn into a RasterCanvas, which draws straight into the
// window's framebuffer where it can (surface_presenter.h); the window shows
// only the part that changed. DoEvents is called once per yield of the cycle
// (well over a million times in a pause), so it pumps the event queue once
// and presents only when something changed and a frame's time has passed.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "canvas/raster_canvas.h"
#include "platform/linux/embedded/embedded_window.h"
#include "platform/linux/handle_owners.h"
#include "platform/linux/x11/surface_presenter.h"
#include "shell/monitor_covers.h"
#include "shell/platform.h"
#include "shell/present_policy.h"

namespace pelmic::linux_desktop {

class X11SaverWindow final : public shell::SaverWindow, private shell::PresentTarget {
 public:
  // The saver's own hidden window over the primary display (SDL's display 0)
  // at its desktop size, and a black one over each other display that the
  // shell's cover rule names; input in any of them counts. A display
  // connected while the saver runs gets a black window by the same rule (one
  // that cannot be made throws from DoEvents, ending the saver); when the
  // primary display is disconnected the saver ends, as if asked to close.
  // SDL's video subsystem must be initialised. Throws std::runtime_error.
  static std::unique_ptr<X11SaverWindow> CoverDisplays();
  // The same over given areas (virtual-screen pixels): the saver's own window
  // over `own`, a black one over each of `covers`.
  static std::unique_ptr<X11SaverWindow> Cover(const shell::ScreenRect& own,
                                               const std::vector<shell::ScreenRect>& covers);
  // Draws into `window`, which someone else owns, at the size it has now.
  // Never maps, unmaps or raises it and never reads its input: its owner
  // handles input and ends the saver with a signal, or by destroying it.
  // Throws WindowGone or std::runtime_error.
  static std::unique_ptr<X11SaverWindow> Embed(EmbeddedWindow& window);

  // Once Hide has given the screen back, leaves SDL's windows to the end of
  // the program (process_end.h).
  ~X11SaverWindow() override;
  X11SaverWindow(const X11SaverWindow&) = delete;
  X11SaverWindow& operator=(const X11SaverWindow&) = delete;

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
  X11SaverWindow(UniqueWindow window, std::vector<UniqueWindow> covers, EmbeddedWindow* embedded);
  void Dispatch(const SDL_Event& event, shell::SaverInput& input);
  void OnWindowEvent(const SDL_WindowEvent& event);
  // After a display came or went: covers for the displays there are now;
  // false once the saver window's display is gone. Throws when a cover
  // cannot be made.
  bool FollowDisplays();
  // A pointer position in one of our windows, in the saver window's pixels.
  void ReportMotion(const SDL_MouseMotionEvent& motion, shell::SaverInput& input);

  // PresentTarget
  std::int64_t Now() const override { return static_cast<std::int64_t>(SDL_GetTicks64()); }
  bool PresentChanged() override;
  void PresentAll() override;

  // Declared before the canvas, which may draw into the window's memory: the
  // window goes last.
  UniqueWindow window_;
  std::vector<UniqueWindow> covers_;  // black, one per other display
  EmbeddedWindow* embedded_;          // null for a window of our own
  RasterCanvas canvas_;
  SurfacePresenter presenter_;
  shell::PresentPolicy policy_{*this, shell::PresentPolicy::kFrameMs};
  bool shown_ = false;    // between Show and Hide: new covers are shown
#ifdef PELMIC_TEST_HOOKS
  bool presenting_ = true;
#else
  static constexpr bool presenting_ = true;  // what ships always presents
#endif
};

}  // namespace pelmic::linux_desktop
