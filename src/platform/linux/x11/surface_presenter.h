// SPDX-License-Identifier: MIT
// surface_presenter.h - shows a RasterCanvas in an SDL window through the
// window's own framebuffer (shared memory on X11): no GL, no renderer.
//
//   SurfacePresenter presenter(window, canvas);
//   presenter.Present(canvas.TakeDirtyRect());
//
// Where the framebuffer has the canvas's size and pixel layout (0x00RRGGBB,
// rows without padding: a true-colour X display), the canvas draws straight
// into it and presenting copies nothing; elsewhere the canvas keeps its own
// memory and each present copies the part that changed.
//
// The canvas is drawn at the window's top-left corner; where the window is
// larger (a daemon's window that grew) the rest stays black, where it is
// smaller the canvas is cut.
#pragma once

#include <SDL.h>

#include "canvas/raster_canvas.h"

namespace pelmic::linux_desktop {

class SurfacePresenter {
 public:
  // Fetches the framebuffer, moving `canvas` into it where it can. The
  // canvas may then draw into the window's memory: destroy it before the
  // window. Throws std::runtime_error when the window has no framebuffer.
  SurfacePresenter(SDL_Window* window, RasterCanvas& canvas);

  // Shows `changed` of the canvas.
  void Present(const DirtyRect& changed);
  // The whole window again: after an exposure or a change of size.
  void PresentAll();
  // The window's size changed: SDL frees the framebuffer at the next fetch,
  // so the canvas leaves it now, taking its picture along.
  void Invalidate();

 private:
  // Brings the part of `changed` that the window shows into the framebuffer
  // (a copy unless the canvas draws there); returns that part.
  SDL_Rect Prepare(const DirtyRect& changed);
  // The window's framebuffer, fetched when stale: the canvas moves into it,
  // or it is cleared to black.
  SDL_Surface* Surface();

  SDL_Window* window_;
  RasterCanvas& canvas_;
  SDL_Surface* surface_ = nullptr;
};

}  // namespace pelmic::linux_desktop
