// SPDX-License-Identifier: MIT
// sdl_saver_window.h - the saver window on SDL2 (X11): its own, covering
// every display, or a window a screen-saver daemon hands it.
//
// The diagram is drawn into a RasterCanvas, which draws straight into the
// window's framebuffer where it can (surface_presenter.h); a present shows
// only the part that changed. The shell's loop pumps the events once per
// yield of the cycle (well over a million times in a pause). SDL's windows
// give no frame signal: the shell paces their presents by its clock.
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

namespace pelmic::linux_desktop {

class SdlSaverWindow final : public shell::SaverWindow {
 public:
  // The saver's own hidden window over the primary display (SDL's display 0)
  // at its desktop size, and a black one over each other display that the
  // shell's cover rule names; input in any of them counts. A display
  // connected while the saver runs gets a black window by the same rule (one
  // that cannot be made throws from PumpEvents, ending the saver); when the
  // primary display is disconnected the saver ends, as if asked to close.
  // The stop signals end it the same way, checked at every pump.
  // SDL's video subsystem must be initialised. Throws std::runtime_error.
  static std::unique_ptr<SdlSaverWindow> CoverDisplays();
  // The same over given areas (virtual-screen pixels): the saver's own window
  // over `own`, a black one over each of `covers`.
  static std::unique_ptr<SdlSaverWindow> Cover(const shell::ScreenRect& own,
                                               const std::vector<shell::ScreenRect>& covers);
  // Draws into `window`, which someone else owns, at the size it has now.
  // Never maps, unmaps or raises it and never reads its input: its owner
  // handles input and ends the saver with a signal, or by destroying it.
  // Throws WindowGone or std::runtime_error.
  static std::unique_ptr<SdlSaverWindow> Embed(EmbeddedWindow& window);

  // Once Hide has given the screen back, leaves SDL's windows to the end of
  // the program (process_end.h).
  ~SdlSaverWindow() override;
  SdlSaverWindow(const SdlSaverWindow&) = delete;
  SdlSaverWindow& operator=(const SdlSaverWindow&) = delete;

  void Show() override;
  void Hide() override;
  RasterCanvas& Surface() override { return canvas_; }
  void PumpEvents(shell::SaverInput& input) override;
  void Present(const DirtyRect& area) override;

 private:
  SdlSaverWindow(UniqueWindow window, std::vector<UniqueWindow> covers, EmbeddedWindow* embedded);
  void Dispatch(const SDL_Event& event, shell::SaverInput& input);
  void OnWindowEvent(const SDL_WindowEvent& event);
  // After a display came or went: covers for the displays there are now;
  // false once the saver window's display is gone. Throws when a cover
  // cannot be made.
  bool FollowDisplays();
  // A pointer position in one of our windows, in the saver window's pixels.
  void ReportMotion(const SDL_MouseMotionEvent& motion, shell::SaverInput& input);

  // Declared before the canvas, which may draw into the window's memory: the
  // window goes last.
  UniqueWindow window_;
  std::vector<UniqueWindow> covers_;  // black, one per other display
  EmbeddedWindow* embedded_;          // null for a window of our own
  RasterCanvas canvas_;
  SurfacePresenter presenter_;
  bool shown_ = false;    // between Show and Hide: new covers are shown
  bool exposed_ = false;  // the server lost the window's pixels: the next present sends all
};

}  // namespace pelmic::linux_desktop
