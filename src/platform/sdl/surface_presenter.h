// surface_presenter.h - shows a RasterCanvas in an SDL window through the
// window's own framebuffer (shared memory on X11): no GL, no renderer, so the
// saver holds little more than its two pixel buffers.
//
//   SurfacePresenter presenter(window);
//   presenter.Present(canvas, canvas.TakeDirtyRect());
//
// The canvas is drawn at the window's top-left corner; where the window is
// larger (a daemon's window that grew) the rest stays black, where it is
// smaller the canvas is cut.
#pragma once

#include <SDL.h>

#include <functional>

#include "canvas/raster_canvas.h"

namespace pelmic::sdl {

class SurfacePresenter {
 public:
  // Where the window's framebuffer comes from: SDL_GetWindowSurface, or a
  // wrapper of it (a daemon's window notes what SDL makes for it).
  using SurfaceSource = std::function<SDL_Surface*(SDL_Window*)>;

  // Throws std::runtime_error when the window has no framebuffer.
  explicit SurfacePresenter(SDL_Window* window, SurfaceSource source = SDL_GetWindowSurface);

  // Copies `changed` of the canvas into the framebuffer and shows that part.
  void Present(const RasterCanvas& canvas, const DirtyRect& changed);
  // The whole window again: after an exposure or a change of size.
  void PresentAll(const RasterCanvas& canvas);
  // The window's size changed: the framebuffer must be fetched anew.
  void Invalidate() { surface_ = nullptr; }

 private:
  // Copies the part of `changed` that the window shows; returns that part.
  SDL_Rect Copy(const RasterCanvas& canvas, const DirtyRect& changed);
  // The window's framebuffer, fetched and cleared to black when stale.
  SDL_Surface* Surface();

  SDL_Window* window_;
  SurfaceSource source_;
  SDL_Surface* surface_ = nullptr;
};

}  // namespace pelmic::sdl
